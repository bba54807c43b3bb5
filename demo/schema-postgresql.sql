-- Linkmend test and demo database, PostgreSQL form. The tables, columns, keys and indexes follow
-- the library system's Oracle schema with the nearest PostgreSQL types: NUMBER -> integer or bigint,
-- VARCHAR2 -> varchar, DATE -> timestamp(0), BLOB -> bytea. The database must be created with
-- ENCODING 'SQL_ASCII' and locale C, and clients must use client_encoding SQL_ASCII, so that every
-- octet of a MARC-8 or UTF-8 record passes unchanged, as in production.
-- Tables live in the schema linkmend_db: the reader's table-name prefix is "linkmend_db.".
-- Keep the table and column lists the same as in schema-sqlite.sql (a test compares them).
\set ON_ERROR_STOP on
CREATE SCHEMA linkmend_db;
SET search_path = linkmend_db, public;

-- Oracle's RAWTOHEX and HEXTORAW. They live in public, which is on every session's search path.
-- rawtohex gives the octets of a bytea, or of a text, as upper-case hexadecimal. hextoraw gives
-- the octets of hexadecimal text as text (the database is SQL_ASCII), so that it joins quoted
-- literals with || as the reader's SQL does; decode(x, 'hex') gives them as bytea.
CREATE FUNCTION public.rawtohex(bytea) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT upper(encode($1, 'hex')) $$;
CREATE FUNCTION public.rawtohex(text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT upper(encode(textsend($1), 'hex')) $$;
CREATE FUNCTION public.hextoraw(text) RETURNS text
    LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
    AS $$ SELECT CASE WHEN $1 = '' THEN NULL
                 ELSE convert_from(decode(CASE WHEN length($1) % 2 = 1 THEN '0' || $1 ELSE $1 END, 'hex'),
                                   'SQL_ASCII') END $$;

CREATE TABLE VERSIONS (
    MODULE  varchar(25) NOT NULL PRIMARY KEY,
    VERSION varchar(25)
);

-- Libraries, locations, currency ------------------------------------------------------------------
CREATE TABLE LIBRARY (
    LIBRARY_ID           integer NOT NULL PRIMARY KEY,
    LIBRARY_NAME         varchar(50),
    LIBRARY_DISPLAY_NAME varchar(80),
    NUC_CODE             varchar(15)
);

CREATE TABLE LOCATION (
    LOCATION_ID           integer NOT NULL PRIMARY KEY,
    LOCATION_CODE         varchar(10) NOT NULL,
    LOCATION_NAME         varchar(25),
    LOCATION_DISPLAY_NAME varchar(60),
    LOCATION_SPINE_LABEL  varchar(25),
    LIBRARY_ID            integer,
    SUPPRESS_IN_OPAC      char(1)
);
CREATE UNIQUE INDEX LOCATION_CODE_IDX ON LOCATION (LOCATION_CODE);

CREATE TABLE BASE_CURRENCY (
    BASE_COUNTRY_NAME  varchar(25),
    BASE_CURRENCY_CODE varchar(3),
    BASE_CURRENCY_NAME varchar(25),
    BASE_DECIMALS      smallint,
    DECIMAL_DELIMITER  char(1)
);

-- Records: stored in segments (990 octets for bibliographic and authority, 300 for holdings) -------
CREATE TABLE BIB_MASTER (
    BIB_ID           integer NOT NULL PRIMARY KEY,
    LIBRARY_ID       integer,
    SUPPRESS_IN_OPAC char(1),
    CREATE_DATE      timestamp(0),
    UPDATE_DATE      timestamp(0),
    EXPORT_OK        char(1)
);
CREATE INDEX BIB_MASTER_LIBRARY_IDX ON BIB_MASTER (LIBRARY_ID);

CREATE TABLE BIB_DATA (
    BIB_ID         integer NOT NULL,
    SEQNUM         integer NOT NULL,
    RECORD_SEGMENT bytea,
    PRIMARY KEY (BIB_ID, SEQNUM)
);

CREATE TABLE BIB_HISTORY (
    BIB_ID         integer NOT NULL,
    ACTION_DATE    timestamp(0),
    OPERATOR_ID    varchar(10),
    LOCATION_ID    integer,
    ACTION_TYPE_ID smallint,
    ENCODING_LEVEL varchar(1),
    SUPPRESS_IN_OPAC char(1)
);
CREATE INDEX BIB_HISTORY_BIB_IDX ON BIB_HISTORY (BIB_ID);

CREATE TABLE MFHD_MASTER (
    MFHD_ID            integer NOT NULL PRIMARY KEY,
    LOCATION_ID        integer,
    SUPPRESS_IN_OPAC   char(1),
    NORMALIZED_CALL_NO varchar(300),
    DISPLAY_CALL_NO    varchar(300),
    CALL_NO_TYPE       char(1),
    CREATE_DATE        timestamp(0),
    UPDATE_DATE        timestamp(0)
);
CREATE INDEX MFHD_MASTER_LOCATION_IDX ON MFHD_MASTER (LOCATION_ID);
CREATE INDEX MFHD_MASTER_NORM_CALL_IDX ON MFHD_MASTER (NORMALIZED_CALL_NO);
CREATE INDEX MFHD_MASTER_DISP_CALL_IDX ON MFHD_MASTER (DISPLAY_CALL_NO);

CREATE TABLE MFHD_DATA (
    MFHD_ID        integer NOT NULL,
    SEQNUM         integer NOT NULL,
    RECORD_SEGMENT bytea,
    PRIMARY KEY (MFHD_ID, SEQNUM)
);

CREATE TABLE MFHD_HISTORY (
    MFHD_ID        integer NOT NULL,
    ACTION_DATE    timestamp(0),
    OPERATOR_ID    varchar(10),
    LOCATION_ID    integer,
    ACTION_TYPE_ID smallint
);
CREATE INDEX MFHD_HISTORY_MFHD_IDX ON MFHD_HISTORY (MFHD_ID);

CREATE TABLE AUTH_MASTER (
    AUTH_ID     integer NOT NULL PRIMARY KEY,
    CREATE_DATE timestamp(0),
    UPDATE_DATE timestamp(0)
);

CREATE TABLE AUTH_DATA (
    AUTH_ID        integer NOT NULL,
    SEQNUM         integer NOT NULL,
    RECORD_SEGMENT bytea,
    PRIMARY KEY (AUTH_ID, SEQNUM)
);

CREATE TABLE AUTH_HISTORY (
    AUTH_ID        integer NOT NULL,
    ACTION_DATE    timestamp(0),
    OPERATOR_ID    varchar(10),
    LOCATION_ID    integer,
    ACTION_TYPE_ID smallint
);
CREATE INDEX AUTH_HISTORY_AUTH_IDX ON AUTH_HISTORY (AUTH_ID);

CREATE TABLE BIB_MFHD (
    BIB_ID  integer NOT NULL,
    MFHD_ID integer NOT NULL,
    PRIMARY KEY (BIB_ID, MFHD_ID)
);
CREATE INDEX BIB_MFHD_MFHD_IDX ON BIB_MFHD (MFHD_ID);

-- The link index: one row per 856 link of a record ------------------------------------------------
CREATE TABLE ELINK_INDEX (
    LINK_ID      integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    RECORD_ID    integer NOT NULL,
    RECORD_TYPE  char(1) NOT NULL,
    LINK_SUBTYPE varchar(25),
    LINK         varchar(2000),
    LINK_TEXT    varchar(2000)
);
CREATE INDEX ELINK_INDEX_RECORD_IDX ON ELINK_INDEX (RECORD_ID, RECORD_TYPE);
CREATE INDEX ELINK_INDEX_LINK_IDX ON ELINK_INDEX (LINK);
CREATE INDEX ELINK_INDEX_UPPER_LINK_IDX ON ELINK_INDEX (UPPER(LINK));

-- Items -------------------------------------------------------------------------------------------
CREATE TABLE ITEM (
    ITEM_ID            integer NOT NULL PRIMARY KEY,
    PERM_LOCATION      integer,
    TEMP_LOCATION      integer,
    ITEM_TYPE_ID       integer,
    TEMP_ITEM_TYPE_ID  integer,
    COPY_NUMBER        smallint,
    PIECES             smallint,
    PRICE              bigint,
    SPINE_LABEL        varchar(25),
    MEDIA_TYPE_ID      integer,
    CREATE_DATE        timestamp(0),
    MODIFY_DATE        timestamp(0),
    CREATE_OPERATOR_ID varchar(10),
    MODIFY_OPERATOR_ID varchar(10),
    MAGNETIC_MEDIA     char(1),
    SENSITIZE          char(1)
);
CREATE INDEX ITEM_PERM_LOCATION_IDX ON ITEM (PERM_LOCATION);

CREATE TABLE BIB_ITEM (
    BIB_ID   integer NOT NULL,
    ITEM_ID  integer NOT NULL,
    ADD_DATE timestamp(0),
    PRIMARY KEY (BIB_ID, ITEM_ID)
);
CREATE INDEX BIB_ITEM_ITEM_IDX ON BIB_ITEM (ITEM_ID);

CREATE TABLE MFHD_ITEM (
    MFHD_ID   integer NOT NULL,
    ITEM_ID   integer NOT NULL PRIMARY KEY,
    ITEM_ENUM varchar(80),
    CHRON     varchar(80),
    YEAR      varchar(20),
    CAPTION   varchar(256),
    FREETEXT  varchar(256)
);
CREATE INDEX MFHD_ITEM_MFHD_IDX ON MFHD_ITEM (MFHD_ID);

CREATE TABLE ITEM_BARCODE (
    ITEM_ID             integer NOT NULL,
    ITEM_BARCODE        varchar(30) NOT NULL,
    BARCODE_STATUS      smallint,
    BARCODE_STATUS_DATE timestamp(0)
);
CREATE INDEX ITEM_BARCODE_ITEM_IDX ON ITEM_BARCODE (ITEM_ID);
CREATE INDEX ITEM_BARCODE_BARCODE_IDX ON ITEM_BARCODE (ITEM_BARCODE);

CREATE TABLE ITEM_STATUS_TYPE (
    ITEM_STATUS_TYPE smallint NOT NULL PRIMARY KEY,
    ITEM_STATUS_DESC varchar(25)
);

CREATE TABLE ITEM_STATUS (
    ITEM_ID          integer NOT NULL,
    ITEM_STATUS      smallint NOT NULL,
    ITEM_STATUS_DATE timestamp(0)
);
CREATE INDEX ITEM_STATUS_ITEM_IDX ON ITEM_STATUS (ITEM_ID);

CREATE TABLE ITEM_TYPE (
    ITEM_TYPE_ID      integer NOT NULL PRIMARY KEY,
    ITEM_TYPE_CODE    varchar(10),
    ITEM_TYPE_NAME    varchar(25),
    ITEM_TYPE_DISPLAY varchar(40)
);

CREATE TABLE ITEM_NOTE_TYPE (
    NOTE_TYPE smallint NOT NULL PRIMARY KEY,
    NOTE_DESC varchar(25)
);

CREATE TABLE ITEM_NOTE (
    ITEM_NOTE_ID   integer GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    ITEM_ID        integer NOT NULL,
    ITEM_NOTE      varchar(1000),
    ITEM_NOTE_TYPE smallint
);
CREATE INDEX ITEM_NOTE_ITEM_IDX ON ITEM_NOTE (ITEM_ID);

-- Cataloguing permissions -------------------------------------------------------------------------
CREATE TABLE CAT_PROFILE (
    CAT_PROFILE_ID   integer NOT NULL PRIMARY KEY,
    CAT_PROFILE_NAME varchar(25),
    BIB_ADD     char(1),
    BIB_UPDATE  char(1),
    BIB_DELETE  char(1),
    HOLD_ADD    char(1),
    HOLD_UPDATE char(1),
    HOLD_DELETE char(1),
    ITEM_ADD    char(1),
    ITEM_UPDATE char(1),
    ITEM_DELETE char(1),
    AUTH_ADD    char(1),
    AUTH_UPDATE char(1),
    AUTH_DELETE char(1)
);

CREATE TABLE CAT_OPERATOR (
    OPERATOR_ID    varchar(10) NOT NULL,
    CAT_PROFILE_ID integer NOT NULL,
    PRIMARY KEY (OPERATOR_ID, CAT_PROFILE_ID)
);

CREATE TABLE CAT_SECURITY_LOCS (
    CAT_PROFILE_ID integer NOT NULL,
    LOCATION_ID    integer NOT NULL,
    PRIMARY KEY (CAT_PROFILE_ID, LOCATION_ID)
);

CREATE TABLE CAT_POLICY_LOCS (
    LOCATION_ID         integer NOT NULL PRIMARY KEY,
    CATALOGING_LOCATION char(1)
);

-- Operators and their passwords, checked when an operator signs on to write records. The hash
-- is glibc's SHA-512 crypt form "$6$salt$hash"; the password itself is never stored.
CREATE TABLE OPERATOR (
    OPERATOR_ID   varchar(10) NOT NULL PRIMARY KEY,
    LAST_NAME     varchar(30),
    FIRST_NAME    varchar(30),
    PASSWORD_HASH varchar(120)
);

-- Indexes and headings ----------------------------------------------------------------------------
CREATE TABLE BIB_INDEX (
    BIB_ID          integer NOT NULL,
    INDEX_CODE      char(4) NOT NULL,
    NORMAL_HEADING  varchar(2000),
    DISPLAY_HEADING varchar(2000)
);
CREATE INDEX BIB_INDEX_HEADING_IDX ON BIB_INDEX (INDEX_CODE, NORMAL_HEADING);
CREATE INDEX BIB_INDEX_BIB_IDX ON BIB_INDEX (BIB_ID);

CREATE TABLE AUTH_INDEX (
    AUTH_ID         integer NOT NULL,
    INDEX_CODE      char(4) NOT NULL,
    NORMAL_HEADING  varchar(2000),
    DISPLAY_HEADING varchar(2000)
);
CREATE INDEX AUTH_INDEX_HEADING_IDX ON AUTH_INDEX (INDEX_CODE, NORMAL_HEADING);
CREATE INDEX AUTH_INDEX_AUTH_IDX ON AUTH_INDEX (AUTH_ID);

CREATE TABLE HEADING (
    HEADING_ID      integer NOT NULL PRIMARY KEY,
    INDEX_TYPE      char(1),
    HEADING_TYPE    char(1),
    NORMAL_HEADING  varchar(2000),
    DISPLAY_HEADING varchar(2000),
    OPACBIBS        integer,
    STAFFBIBS       integer,
    STAFFREFS       integer
);
CREATE INDEX HEADING_NORMAL_IDX ON HEADING (NORMAL_HEADING);

CREATE TABLE AUTH_HEADING (
    AUTH_ID            integer NOT NULL,
    HEADING_ID_POINTER integer NOT NULL,
    HEADING_ID_POINTEE integer,
    REFERENCE_TYPE     char(1),
    SCOPE_NOTE_PRESENT char(1),
    DISPLAY_HEADING    varchar(2000)
);
CREATE INDEX AUTH_HEADING_POINTER_IDX ON AUTH_HEADING (HEADING_ID_POINTER);

CREATE TABLE BIB_HEADING (
    BIB_ID          integer NOT NULL,
    HEADING_ID      integer NOT NULL,
    DISPLAY_HEADING varchar(2000)
);
CREATE INDEX BIB_HEADING_HEADING_IDX ON BIB_HEADING (HEADING_ID);

CREATE TABLE SUBDIVISION (
    SUBDIV_ID    integer NOT NULL PRIMARY KEY,
    SUBDIV_TYPE  char(1),
    NORMAL_SUBDIV varchar(300),
    AUTHORIZED   char(1),
    HEADING_TYPE char(1)
);
CREATE INDEX SUBDIVISION_NORMAL_IDX ON SUBDIVISION (HEADING_TYPE, NORMAL_SUBDIV);

CREATE TABLE AUTH_SUBDIVISION (
    AUTH_ID           integer NOT NULL,
    SUBDIV_ID_POINTER integer NOT NULL,
    SUBDIV_ID_POINTEE integer,
    REFERENCE_TYPE    char(1),
    DISPLAY_SUBDIV    varchar(300)
);
CREATE INDEX AUTH_SUBDIVISION_POINTER_IDX ON AUTH_SUBDIVISION (SUBDIV_ID_POINTER);

CREATE TABLE BIB_SUBDIVISION (
    BIB_ID         integer NOT NULL,
    SUBDIV_ID      integer NOT NULL,
    DISPLAY_SUBDIV varchar(300)
);
CREATE INDEX BIB_SUBDIVISION_SUBDIV_IDX ON BIB_SUBDIVISION (SUBDIV_ID);

CREATE TABLE HEADING_SUBDIVISION (
    HEADING_ID integer NOT NULL,
    SUBDIV_ID  integer NOT NULL,
    PRIMARY KEY (HEADING_ID, SUBDIV_ID)
);
CREATE INDEX HEADING_SUBDIVISION_SUBDIV_IDX ON HEADING_SUBDIVISION (SUBDIV_ID);

CREATE TABLE CALL_NO_TYPE (
    CALL_NO_TYPE char(1) NOT NULL PRIMARY KEY,
    CALL_NO_CODE varchar(10)
);

-- The batch-cataloguing component's replace of one record in one call, so that a write costs the
-- program one round trip: the checks a replace makes, in the component's order, then the rows it
-- writes, all in the call's transaction. Returns 0 when written, else the code of the first check
-- that failed: 13 no such record, 22 unknown owning library (bibliographic), 19 holdings not linked
-- to the bib, 23 no location with the 852 $b code (holdings), 24 cataloguing location not valid
-- (the caller's verdict), 41 a history row newer than the date the record was read with. The record
-- is split into segments of p_segment_size octets; the link-index rows come as arrays, in record
-- order, a NULL text for a link without one. Other databases get the same rows statement by
-- statement (src/catalog/RecordStore.cpp).
CREATE FUNCTION linkmend_replace_record(
    p_kind text, p_id integer, p_record bytea, p_segment_size integer, p_last_modified timestamp,
    p_cataloging_location integer, p_cataloging_valid integer, p_now timestamp, p_operator text,
    p_library integer, p_bib integer, p_location_code text, p_suppress text, p_index_type text,
    p_subtypes text[], p_links text[], p_texts text[]) RETURNS integer
    LANGUAGE plpgsql
    SET search_path = linkmend_db, public
    AS $$
DECLARE
    v_location integer;
BEGIN
    IF p_kind = 'BIB' THEN
        PERFORM 1 FROM BIB_MASTER WHERE BIB_ID = p_id;
        IF NOT FOUND THEN RETURN 13; END IF;
        PERFORM 1 FROM LIBRARY WHERE LIBRARY_ID = p_library;
        IF NOT FOUND THEN RETURN 22; END IF;
        IF p_cataloging_valid = 0 THEN RETURN 24; END IF;
        IF (SELECT max(ACTION_DATE) FROM BIB_HISTORY WHERE BIB_ID = p_id AND ACTION_TYPE_ID <> 1)
           > p_last_modified THEN RETURN 41; END IF;
        DELETE FROM BIB_DATA WHERE BIB_ID = p_id;
        INSERT INTO BIB_DATA (BIB_ID, SEQNUM, RECORD_SEGMENT)
            SELECT p_id, n + 1, substring(p_record FROM n * p_segment_size + 1 FOR p_segment_size)
            FROM generate_series(0, (length(p_record) - 1) / p_segment_size) AS n WHERE length(p_record) > 0;
        INSERT INTO BIB_HISTORY (BIB_ID, ACTION_DATE, OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID)
            VALUES (p_id, p_now, p_operator, p_cataloging_location, 2);
        UPDATE BIB_MASTER SET LIBRARY_ID = p_library, SUPPRESS_IN_OPAC = p_suppress, UPDATE_DATE = p_now
            WHERE BIB_ID = p_id;
    ELSIF p_kind = 'MFHD' THEN
        PERFORM 1 FROM MFHD_MASTER WHERE MFHD_ID = p_id;
        IF NOT FOUND THEN RETURN 13; END IF;
        PERFORM 1 FROM BIB_MFHD WHERE MFHD_ID = p_id AND BIB_ID = p_bib;
        IF NOT FOUND THEN RETURN 19; END IF;
        SELECT LOCATION_ID INTO v_location FROM LOCATION WHERE LOCATION_CODE = p_location_code LIMIT 1;
        IF NOT FOUND THEN RETURN 23; END IF;
        IF p_cataloging_valid = 0 THEN RETURN 24; END IF;
        IF (SELECT max(ACTION_DATE) FROM MFHD_HISTORY WHERE MFHD_ID = p_id AND ACTION_TYPE_ID <> 1)
           > p_last_modified THEN RETURN 41; END IF;
        DELETE FROM MFHD_DATA WHERE MFHD_ID = p_id;
        INSERT INTO MFHD_DATA (MFHD_ID, SEQNUM, RECORD_SEGMENT)
            SELECT p_id, n + 1, substring(p_record FROM n * p_segment_size + 1 FOR p_segment_size)
            FROM generate_series(0, (length(p_record) - 1) / p_segment_size) AS n WHERE length(p_record) > 0;
        INSERT INTO MFHD_HISTORY (MFHD_ID, ACTION_DATE, OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID)
            VALUES (p_id, p_now, p_operator, p_cataloging_location, 2);
        UPDATE MFHD_MASTER SET LOCATION_ID = v_location, SUPPRESS_IN_OPAC = p_suppress, UPDATE_DATE = p_now
            WHERE MFHD_ID = p_id;
    ELSIF p_kind = 'AUTH' THEN
        PERFORM 1 FROM AUTH_MASTER WHERE AUTH_ID = p_id;
        IF NOT FOUND THEN RETURN 13; END IF;
        IF p_cataloging_valid = 0 THEN RETURN 24; END IF;
        IF (SELECT max(ACTION_DATE) FROM AUTH_HISTORY WHERE AUTH_ID = p_id AND ACTION_TYPE_ID <> 1)
           > p_last_modified THEN RETURN 41; END IF;
        DELETE FROM AUTH_DATA WHERE AUTH_ID = p_id;
        INSERT INTO AUTH_DATA (AUTH_ID, SEQNUM, RECORD_SEGMENT)
            SELECT p_id, n + 1, substring(p_record FROM n * p_segment_size + 1 FOR p_segment_size)
            FROM generate_series(0, (length(p_record) - 1) / p_segment_size) AS n WHERE length(p_record) > 0;
        INSERT INTO AUTH_HISTORY (AUTH_ID, ACTION_DATE, OPERATOR_ID, LOCATION_ID, ACTION_TYPE_ID)
            VALUES (p_id, p_now, p_operator, p_cataloging_location, 2);
        UPDATE AUTH_MASTER SET UPDATE_DATE = p_now WHERE AUTH_ID = p_id;
    ELSE
        RAISE EXCEPTION 'linkmend_replace_record: no kind of record %', p_kind;
    END IF;
    DELETE FROM ELINK_INDEX WHERE RECORD_ID = p_id AND RECORD_TYPE = p_index_type;
    INSERT INTO ELINK_INDEX (RECORD_ID, RECORD_TYPE, LINK_SUBTYPE, LINK, LINK_TEXT)
        SELECT p_id, p_index_type, u.s, u.l, u.t
        FROM unnest(p_subtypes, p_links, p_texts) WITH ORDINALITY AS u(s, l, t, n) ORDER BY u.n;
    RETURN 0;
END $$;

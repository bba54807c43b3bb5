/* The Oracle functions the reader's SQL uses and SQLite lacks, as a loadable extension:
 *   RAWTOHEX(x)  the octets of a text or blob as upper-case hexadecimal text
 *   HEXTORAW(t)  hexadecimal text (either case; an odd count gets a leading 0) as a blob
 *   CHR(n)       the character with code n: one octet below 256, else n's octets, most significant first
 * and, for reading stored octets through the ODBC driver:
 *   LINKMEND_OCTETS(x)  the octets of a blob (or text) as text: 0x00 as 0x01 '0', 0x01 as 0x01 '1',
 *                       every other octet as itself
 * NULL gives NULL, as do an empty text to HEXTORAW. Text is handled as octets; no encoding is assumed.
 * The ODBC driver loads it through the data source's LoadExt setting. */
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include <stddef.h>

static const char kHexDigits[] = "0123456789ABCDEF";

static void RawToHex(sqlite3_context* context, int argc, sqlite3_value** argv) {
    (void)argc;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    /* For a blob this is its octets; for anything else its text form. */
    const unsigned char* octets = sqlite3_value_type(argv[0]) == SQLITE_BLOB
                                      ? (const unsigned char*)sqlite3_value_blob(argv[0])
                                      : sqlite3_value_text(argv[0]);
    const int length = sqlite3_value_bytes(argv[0]);
    if (length == 0 || octets == NULL) {
        sqlite3_result_text(context, "", 0, SQLITE_STATIC);
        return;
    }
    char* hex = sqlite3_malloc64((sqlite3_uint64)length * 2 + 1);
    if (hex == NULL) {
        sqlite3_result_error_nomem(context);
        return;
    }
    for (int i = 0; i < length; ++i) {
        hex[2 * i] = kHexDigits[octets[i] >> 4];
        hex[2 * i + 1] = kHexDigits[octets[i] & 0x0F];
    }
    hex[2 * length] = '\0';
    sqlite3_result_text(context, hex, length * 2, sqlite3_free);
}

static int HexValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

static void HexToRaw(sqlite3_context* context, int argc, sqlite3_value** argv) {
    (void)argc;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const unsigned char* hex = sqlite3_value_text(argv[0]);
    const int length = sqlite3_value_bytes(argv[0]);
    if (hex == NULL || length == 0) {
        sqlite3_result_null(context);
        return;
    }
    const int odd = length % 2;
    const int size = (length + odd) / 2;
    unsigned char* raw = sqlite3_malloc(size);
    if (raw == NULL) {
        sqlite3_result_error_nomem(context);
        return;
    }
    for (int i = 0; i < size; ++i) {
        const int hiPos = 2 * i - odd;
        const int hi = hiPos < 0 ? 0 : HexValue(hex[hiPos]);
        const int lo = HexValue(hex[hiPos + 1]);
        if (hi < 0 || lo < 0) {
            sqlite3_free(raw);
            sqlite3_result_error(context, "HEXTORAW: invalid hexadecimal number", -1);
            return;
        }
        raw[i] = (unsigned char)(hi * 16 + lo);
    }
    sqlite3_result_blob(context, raw, size, sqlite3_free);
}

static void Chr(sqlite3_context* context, int argc, sqlite3_value** argv) {
    (void)argc;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    sqlite3_int64 code = sqlite3_value_int64(argv[0]);
    if (code < 0 || code > 0xFFFFFFFFLL) {
        sqlite3_result_error(context, "CHR: character code out of range", -1);
        return;
    }
    char octets[4];
    int count = 0;
    do {
        octets[3 - count++] = (char)(code & 0xFF);
        code >>= 8;
    } while (code > 0);
    sqlite3_result_text(context, octets + 4 - count, count, SQLITE_TRANSIENT);
}

/* The driver hands a blob to its caller as hexadecimal text, made at each row and decoded again
 * octet by octet; a text it passes on as it is, up to its first 0x00. Escaping 0x00 (and the escape
 * octet itself) keeps every octet, at the cost of a scan on the reading side. */
static void Octets(sqlite3_context* context, int argc, sqlite3_value** argv) {
    (void)argc;
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const unsigned char* in = (const unsigned char*)sqlite3_value_blob(argv[0]);
    const int length = sqlite3_value_bytes(argv[0]);
    int escapes = 0;
    for (int i = 0; i < length; ++i) escapes += in[i] <= 1;
    if (escapes == 0) {
        sqlite3_result_text(context, (const char*)in, length, SQLITE_TRANSIENT);
        return;
    }
    char* out = sqlite3_malloc(length + escapes);
    if (!out) {
        sqlite3_result_error_nomem(context);
        return;
    }
    int o = 0;
    for (int i = 0; i < length; ++i) {
        if (in[i] <= 1) {
            out[o++] = 1;
            out[o++] = (char)('0' + in[i]);
        } else {
            out[o++] = (char)in[i];
        }
    }
    sqlite3_result_text(context, out, o, sqlite3_free);
}

static int Register(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int rc = sqlite3_create_function(db, "RAWTOHEX", 1, flags, NULL, RawToHex, NULL, NULL);
    if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "HEXTORAW", 1, flags, NULL, HexToRaw, NULL, NULL);
    if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "CHR", 1, flags, NULL, Chr, NULL, NULL);
    if (rc == SQLITE_OK) rc = sqlite3_create_function(db, "LINKMEND_OCTETS", 1, flags, NULL, Octets, NULL, NULL);
    return rc;
}

/* Entry point SQLite derives from the file name linkmend_sqlite.so. */
int sqlite3_linkmendsqlite_init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api) {
    (void)errorMessage;
    SQLITE_EXTENSION_INIT2(api);
    return Register(db);
}

/* The generic entry point, for a copy renamed on installation. */
int sqlite3_extension_init(sqlite3* db, char** errorMessage, const sqlite3_api_routines* api) {
    return sqlite3_linkmendsqlite_init(db, errorMessage, api);
}

// Heading, subdivision and bibliographic-heading searches.
#include "base/Error.h"
#include "marc/Utf8MarcRecordClass.h"
#include "voyager/IndexCodes.h"
#include "voyager/SqlText.h"
#include "voyager/VgerReaderClass7.h"

namespace linkmend {
namespace {

// Matches no heading: it stands in for a heading that normalises to nothing.
constexpr const char* kNoHeading = "3 4 X X X 1 7 9 x x x";

}  // namespace

std::string VgerReaderClass7::NormalizedHeading(const std::string& heading, const std::string& format,
                                                const std::string& tag, const std::string& indicators) {
    if (heading.empty()) return kNoHeading;
    // Text typed without subfield codes counts as subfield a.
    std::string normalized = Record().NormalizeWholeField("V", format, tag, indicators, heading);
    if (normalized.empty()) normalized = kNoHeading;
    return normalized;
}

// " COLUMN = 'heading'", or LIKE 'heading%' (' %' for a heading given with a final blank, so that
// only whole words continue it); a heading outside ASCII is written as a CHR chain.
std::string VgerReaderClass7::HeadingCondition(const std::string& column, const std::string& given,
                                               const std::string& normalized, bool truncated) {
    const bool wholeWord = !given.empty() && given.back() == ' ';
    if (Utf8MarcRecordClass::VernacularDataPresent(normalized)) {
        const std::string chain = ChrChain(normalized);
        if (!truncated) return " " + column + " = " + chain;
        return " " + column + " LIKE " + chain + (wholeWord ? " || CHR(32) || CHR(37)" : " || CHR(37)");
    }
    if (!truncated) return " " + column + " = '" + SqlQuote(normalized) + "'";
    return " " + column + " LIKE '" + SqlQuote(normalized) + (wholeWord ? " %'" : "%'");
}

void VgerReaderClass7::SearchHeading(const std::string& sHeading, std::int16_t& iResultSet, bool bHeadingIsTruncated,
                                     bool bIncludeBibsToo, const std::string& sIndexTypeCodes,
                                     const std::string& sHeadingTypeCodes) {
    SearchHeadingBlock(sHeading, iResultSet, bHeadingIsTruncated, bIncludeBibsToo, sIndexTypeCodes, sHeadingTypeCodes,
                       0);
}

void VgerReaderClass7::SearchHeadingBlock(const std::string& sHeading, std::int16_t& iResultSet,
                                          bool bHeadingIsTruncated, bool bIncludeBibsToo,
                                          const std::string& sIndexTypeCodes, const std::string& sHeadingTypeCodes,
                                          std::int16_t iRowsPerBlock) {
    const std::string normalized = NormalizedHeading(sHeading, "A", "100", "10");
    std::string sql =
        "SELECT HEADING_ID, INDEX_TYPE, HEADING_TYPE, RAWTOHEX(NORMAL_HEADING), OPACBIBS, STAFFBIBS, STAFFREFS FROM " +
        tableNamePrefix_ + "HEADING WHERE" +
        HeadingCondition("NORMAL_HEADING", sHeading, normalized, bHeadingIsTruncated);
    sql += CodeListCondition("INDEX_TYPE", sIndexTypeCodes);
    sql += CodeListCondition("HEADING_TYPE", sHeadingTypeCodes);
    if (!bIncludeBibsToo) sql += " AND 'X' || STAFFREFS != 'X'";
    sql += " ORDER BY NORMAL_HEADING";
    const std::int16_t rows = iRowsPerBlock < 0 ? 0 : (iRowsPerBlock > 25 ? 25 : iRowsPerBlock);
    OpenSearch(sql, 3, iResultSet, rows);
}

void VgerReaderClass7::SearchBibHeading(const std::string& sBibliographicTagOrCategory,
                                        const std::string& sBibliographicIndicators,
                                        const std::string& sBibliographicHeading, std::int16_t& iResultSet,
                                        bool bBibHeadingIsTruncated) {
    if (sBibliographicTagOrCategory.empty()) RaiseObjectError(1067, "No BibliographicTag supplied");
    if (sBibliographicIndicators.empty()) RaiseObjectError(1068, "No BibliographicIndicators supplied");
    if (sBibliographicHeading.empty()) RaiseObjectError(1045, "No BibliographicHeading supplied");
    const HeadingCodes codes = BibHeadingIndexCodes(sBibliographicTagOrCategory);
    if (codes.list.empty())
        RaiseInvalidValue("Invalid value for BibliographicTag parameter: " + sBibliographicTagOrCategory);
    bibHeading_ = sBibliographicHeading;
    bibHeadingIsTruncated_ = bBibHeadingIsTruncated;
    bibHeadingNormalized_ = NormalizedHeading(sBibliographicHeading, "B", codes.tag, sBibliographicIndicators);
    const std::string heading = SqlQuote(bibHeadingNormalized_);
    const std::string sql = "SELECT BIB_ID, INDEX_CODE, NORMAL_HEADING, RAWTOHEX(DISPLAY_HEADING) FROM " +
                            TableName(VgerTable::BibIndex) +
                            (bibHeadingIsTruncated_ ? " WHERE NORMAL_HEADING LIKE '" + heading + "%'"
                                                    : " WHERE NORMAL_HEADING = '" + heading + "'") +
                            " AND INDEX_CODE IN " + codes.list + " ORDER BY NORMAL_HEADING";
    OpenSearch(sql, 1, iResultSet);
}

void VgerReaderClass7::CheckId(const std::string& id, std::int32_t missingOffset, const char* missingText,
                               const char* notNumericText) const {
    if (id.empty()) RaiseObjectError(missingOffset, missingText);
    if (!IsRecordId(id)) RaiseObjectError(missingOffset + 1, notNumericText);
}

void VgerReaderClass7::SearchHeadingIDAuth(const std::string& sHeadingID, std::int16_t& iResultSet) {
    CheckId(sHeadingID, 1069, "No Heading ID supplied", "Heading ID is not numeric");
    OpenSearch(
        "SELECT AUTH_ID, RAWTOHEX(DISPLAY_HEADING), REFERENCE_TYPE, SCOPE_NOTE_PRESENT, HEADING_ID_POINTEE FROM " +
            tableNamePrefix_ + "AUTH_HEADING WHERE HEADING_ID_POINTER = " + sHeadingID + " ORDER BY AUTH_ID",
        4, iResultSet);
}

void VgerReaderClass7::SearchHeadingIDBib(const std::string& sHeadingID, std::int16_t& iResultSet) {
    CheckId(sHeadingID, 1069, "No Heading ID supplied", "Heading ID is not numeric");
    OpenSearch("SELECT BIB_ID, RAWTOHEX(DISPLAY_HEADING) FROM " + tableNamePrefix_ +
                   "BIB_HEADING WHERE HEADING_ID = " + sHeadingID + " ORDER BY BIB_ID",
               4, iResultSet);
}

void VgerReaderClass7::SearchSubdivIDAuth(const std::string& sSubdivisionID, std::int16_t& iResultSet) {
    CheckId(sSubdivisionID, 1069, "No Subdivision ID supplied", "Subdivision ID is not numeric");
    OpenSearch("SELECT AUTH_ID, RAWTOHEX(DISPLAY_SUBDIV), REFERENCE_TYPE FROM " + tableNamePrefix_ +
                   "AUTH_SUBDIVISION WHERE SUBDIV_ID_POINTER = " + sSubdivisionID,
               6, iResultSet);
}

void VgerReaderClass7::SearchSubdivIDBib(const std::string& sSubdivisionID, std::int16_t& iResultSet) {
    CheckId(sSubdivisionID, 1069, "No Subdivision ID supplied", "Subdivision ID is not numeric");
    OpenSearch("SELECT BIB_ID, RAWTOHEX(DISPLAY_SUBDIV) FROM " + tableNamePrefix_ +
                   "BIB_SUBDIVISION WHERE SUBDIV_ID = " + sSubdivisionID,
               6, iResultSet);
}

void VgerReaderClass7::SearchSubdivIDHeading(const std::string& sSubdivisionID, std::int16_t& iResultSet,
                                             bool bIncludeBibsToo) {
    CheckId(sSubdivisionID, 1069, "No Subdivision ID supplied", "Subdivision ID is not numeric");
    const std::string& p = tableNamePrefix_;
    // Column 4 comes through RAWTOHEX as in SearchHeading: search type 3 hands it out decoded.
    std::string sql =
        "SELECT T2.HEADING_ID, T2.INDEX_TYPE, T2.HEADING_TYPE, RAWTOHEX(T2.NORMAL_HEADING), T2.OPACBIBS, "
        "T2.STAFFBIBS, T2.STAFFREFS FROM " +
        p + "HEADING_SUBDIVISION T1, " + p + "HEADING T2 WHERE T1.SUBDIV_ID = " + sSubdivisionID;
    if (!bIncludeBibsToo) sql += " AND 'X' || T2.STAFFREFS != 'X'";
    sql += " AND T2.HEADING_ID = T1.HEADING_ID";
    OpenSearch(sql, 3, iResultSet);
}

void VgerReaderClass7::SearchSubdiv(const std::string& sSubjectSystemCode, const std::string& sSubdivision,
                                    std::int16_t& iResultSet, bool bHeadingIsTruncated, bool bIncludeBibsToo,
                                    const std::string& sSubdivisionTypeCodes) {
    if (sSubjectSystemCode.empty()) RaiseObjectError(1045, "No subject system code supplied");
    if (sSubjectSystemCode.size() != 1 || sSubjectSystemCode[0] == '\'' ||
        static_cast<unsigned char>(sSubjectSystemCode[0]) < 0x20 ||
        static_cast<unsigned char>(sSubjectSystemCode[0]) > 0x7E)
        RaiseInvalidValue("Invalid value for subject system code parameter");
    if (sSubdivision.empty()) RaiseObjectError(1045, "No Subdivision supplied");
    const std::string normalized = NormalizedHeading(sSubdivision, "A", "100", "10");
    std::string sql = "SELECT SUBDIV_ID, SUBDIV_TYPE, NORMAL_SUBDIV, AUTHORIZED, HEADING_TYPE FROM " +
                      tableNamePrefix_ + "SUBDIVISION WHERE HEADING_TYPE = '" + sSubjectSystemCode + "'";
    sql += CodeListCondition("SUBDIV_TYPE", sSubdivisionTypeCodes);
    sql += " AND" + HeadingCondition("NORMAL_SUBDIV", sSubdivision, normalized, bHeadingIsTruncated);
    if (!bIncludeBibsToo) sql += " AND AUTHORIZED = 'Y'";
    OpenSearch(sql, 5, iResultSet);
}

}  // namespace linkmend

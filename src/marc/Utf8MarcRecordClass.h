#pragma once
// One MARC 21 record in memory: load (ISO 2709), validate, walk and edit fields and subfields through
// cursors, keep fields in the order of field-order instructions, and assemble the record again.
// Also the program's toolbox of octet-safe string services and comparison forms. Records, fields and
// subfields are octet strings; every position and length counts octets. Cursors are 16-bit indexes,
// -1 for none. One object is created and reused for every record: a load keeps only the settings.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkmend {

class Utf8MarcRecordClass {
public:
    // Reads the switches of "MarcRecordClass.INI", section "Booleans".
    Utf8MarcRecordClass();

    // ---- structure: load, validate, assemble -------------------------------------------------
    // Loads a record: leader repair, validity test, directory parse, field order. An invalid record
    // leaves the object empty with the reason in IsMarcErrorText(); it never throws.
    void MarcRecordIn(const std::string& sMarcRecord);
    const std::string& MarcRecordIn() const { return rawRecord_; }
    // The record rebuilt from the fields in list order, deleted fields and subfields left out;
    // empty when there are no fields, and when a field outgrew 9,999 octets or the record 99,999
    // (the exchange format cannot state them; a truncated record is never handed out).
    // Writes leader/00-04, 12-16 and 22-23.
    std::string MarcRecordOut();
    bool IsMarc(const std::string& sSuspect);
    const std::string& IsMarcErrorText() const { return isMarcErrorText_; }
    // What the last load had to skip or guess to read a record that passed IsMarc (the loader goes on
    // as it always did): bits of LoadProblem, 0 for a record read as stored (and for an empty or
    // invalid string). The entry kinds remember the tag of their first entry.
    enum LoadProblem : std::uint8_t {
        kEntrySkippedLengthNotNumber = 1,  // a length with a non-digit read as below 2: entry skipped
        kEntrySkippedEmpty = 2,            // a length of 0 or 1: entry skipped
        kEntryLengthGuessed = 4,           // a length with a non-digit read as its leading digits
        kEntryStartGuessed = 8,            // a starting position with a non-digit
        kEntryPastEnd = 16,                // a field reaching past the end of the data
        kLengthMismatch = 32,              // the record is longer than its leader says
        kNo001 = 64,                       // no 001 field
    };
    std::uint8_t LoadProblems() const { return loadProblems_; }
    // The problems in words, "; " between them: "directory entry 001 skipped (length not a number);
    // no 001 field". Empty after a clean load.
    std::string LoadProblemText() const;

    const std::string& Leader() const { return leader_; }
    // Copies leader/05-09 and 17-19 from a value of at least 24 octets; shorter values are ignored.
    void Leader(const std::string& vNewValue);
    std::string GetLeaderValue(std::int16_t position, std::int16_t length) const;
    void ChangeLeaderValue(std::int16_t startingPosition, const std::string& newValue);
    std::string Get008Value(std::int16_t position, std::int16_t length) const;
    void Change008Value(std::int16_t startingPosition, const std::string& newValue);
    std::int16_t Fld008Length() const { return fld008Length_; }
    bool IsAuthority() const { return isAuthority_; }
    const std::string& MarcRecordFormat() const { return formatCode_; }
    // Format code of the given leader; with none, of the record's own leader (and stores it).
    std::string SetFormatCode(const std::string& sMarcLeader = std::string());
    bool SerialBibliographicRecord(const std::string& sLeader = std::string()) const;
    // Empty record of the type with a 005 of the current local time and the format's default 008.
    void NewRecord(const std::string& sRecordType, const std::string& sBibliographicLevel = std::string());
    const std::string& Directory() const { return directory_; }

    // ---- settings read at creation, and load options ------------------------------------------
    bool RemoveDuplicateOclcNumbers() const { return removeDuplicateOclcNumbers_; }
    void RemoveDuplicateOclcNumbers(bool v) { removeDuplicateOclcNumbers_ = v; }
    bool RemoveDuplicative035Fields() const { return removeDuplicative035Fields_; }
    void RemoveDuplicative035Fields(bool v) { removeDuplicative035Fields_ = v; }
    bool RemoveOclcAlphabeticPrefix() const { return removeOclcAlphabeticPrefix_; }
    void RemoveOclcAlphabeticPrefix(bool v) { removeOclcAlphabeticPrefix_ = v; }
    bool OclcNumbersHaveLeadingZeroes() const { return oclcNumbersHaveLeadingZeroes_; }
    void OclcNumbersHaveLeadingZeroes(bool v) { oclcNumbersHaveLeadingZeroes_ = v; }
    bool RdaReCast502Fields() const { return rdaReCast502Fields_; }
    void RdaReCast502Fields(bool v) { rdaReCast502Fields_ = v; }
    bool ForceInvalidIndicatorValues() const { return forceInvalidIndicatorValues_; }
    void ForceInvalidIndicatorValues(bool v) { forceInvalidIndicatorValues_ = v; }

    // ---- character sets (translation itself lives behind the private seams below) -------------
    std::string CharacterSetIn() const;
    void CharacterSetIn(const std::string& value);  // "U", "M", "V", "O", "L"; else error 380
    std::string CharacterSetOut() const { return std::string(1, characterSetOut_); }
    void CharacterSetOut(const std::string& value);  // also "Y" (as "M") and "ULC" (as "U", marked)
    bool CharacterSetOutIsUlc() const { return outputUlc_; }
    std::string CharacterEncodingScheme() const { return GetLeaderValue(9, 1); }
    bool MarcRecordTranslated() const { return marcRecordTranslated_; }
    // One-letter code of the record (or of the given string), then "Illegal character(s): " with
    // the decimal values of octets the chosen encoding does not allow, each followed by a blank.
    std::string CharacterizeCharacterSet(const std::string& sMarcRecord = std::string()) const;
    bool DisableUtf8Decomposition() const { return disableUtf8Decomposition_; }
    void DisableUtf8Decomposition(bool v) { disableUtf8Decomposition_ = v; }
    bool UseDoubleWidthDiacritics() const { return useDoubleWidthDiacritics_; }
    void UseDoubleWidthDiacritics(bool v) { useDoubleWidthDiacritics_ = v; }
    bool CharactersDecomposed() const { return charactersDecomposed_; }
    // Whether a UTF-8 record's precomposed characters are decomposed when it is loaded (neither
    // DisableUtf8Decomposition nor the cataloguing client's "BypassAutoDecompose" says no).
    bool DecomposesOnLoad() const;
    // One field's MARC-8 text (delimiters and codes, indicators apart) to UTF-8 from the default
    // sets in the record's input set, keeping a title's non-filing count true; flags are or-ed in.
    void TranslateMarc2Utf8OneField(const std::string& sMarcRecordFormat, const std::string& sTag,
                                    std::string& sIndicators, std::string& sField, bool& bChanged, bool& bError) const;
    // MARC-8 text to UTF-8 from the sets named by the two codes ("s" the defaults); the codes come
    // back naming the sets in force at the end.
    void TranslateMarc2Utf8Text(std::string& sMarc8CharacterSetCode0, std::string& sMarc8CharacterSetCode1,
                                const std::string& sTag, std::string& sText, bool& bChanged, bool& bError) const;
    // UTF-8 text to MARC-8 (the output set) from the sets named by the "G0 G1" code pair, which
    // comes back naming the sets in force at the end.
    void TranslateUtf82MarcOneField(std::string& sMarc8CharacterSetCodes, const std::string& sTag, std::string& sText,
                                    bool& bChanged, bool& bError) const;
    // Precomposed characters replaced by base letter and combining marks.
    std::string DecomposeUnicodeCharactersInString(const std::string& sField, bool* bChanged = nullptr) const;

    // ---- field cursor and search --------------------------------------------------------------
    // A search with a text criterion keeps fields whose comparison form begins with the criterion's.
    // First/Last searches start afresh (no criterion unless given); Next/Prev keep the remembered
    // tag list and criterion when given none. Moves and searches let the window run.
    bool FldMoveFirst(bool bSkipDeletedFields = false);
    bool FldMoveNext(bool bSkipDeletedFields = false);
    bool FldMovePrev(bool bSkipDeletedFields = false);
    bool FldMoveLast(bool bSkipDeletedFields = false);
    bool FldMoveTop();
    bool FldMoveBottom();
    bool FldFindFirst(const std::string& sTagToFind, const std::string& sNormalizedFieldText = std::string());
    bool FldFindNext(const std::string& sTagToFind = std::string(),
                     const std::string& sNormalizedFieldText = std::string());
    bool FldFindLast(const std::string& sTagToFind, const std::string& sNormalizedFieldText = std::string());
    bool FldFindPrev(const std::string& sTagToFind = std::string(),
                     const std::string& sNormalizedFieldText = std::string());
    std::int16_t FldPointer() const { return fldPointer_; }
    void FldPointer(std::int16_t value);
    bool FldWasFound() const { return fldPointer_ >= 0; }
    bool FldTestFirst(const std::string& sTag) const;
    bool FldTestNext(const std::string& sTag) const;
    bool FldTestPrev(const std::string& sTag) const;
    bool FldTestLast(const std::string& sTag) const;
    // True when one space-separated entry of the list matches the tag position by position over the
    // entry's length (or the first iTagWantedLength positions); "X" on either side matches anything.
    static bool TagCompare(std::string_view sTagWantedOrListOfTags, std::string_view sComparisonTag,
                           std::int16_t iTagWantedLength = 0);

    // ---- current field ------------------------------------------------------------------------
    std::string FldTag() const;
    void FldTag(const std::string& value);
    std::string FldInd() const;
    void FldInd(const std::string& value);
    std::string FldInd1() const;
    void FldInd1(const std::string& value);
    std::string FldInd2() const;
    void FldInd2(const std::string& value);
    std::string FldText() const;
    void FldText(const std::string& value);
    bool FldIsControl() const;
    bool FldDeleted() const;
    void FldDelete();
    void FldUndelete();
    void FldAdd(const std::string& sNewTag, const std::string& sNewIndicators = std::string(),
                const std::string& sNewFieldText = std::string(), bool bForceToFirstPosition = false);
    void FldInsertAfter(const std::string& sNewTag, const std::string& sNewInd, const std::string& sNewFieldText);
    void FldInsertBefore(const std::string& sNewTag, const std::string& sNewInd, const std::string& sNewFieldText);
    void FldChange(const std::string& sTag, const std::string& sIndicators, const std::string& sField);
    std::string FldNorm() const;

    // ---- subfield cursor and current subfield -------------------------------------------------
    bool SfdMoveFirst(bool bIgnoreDeletedSubfields = false);
    bool SfdMoveNext(bool bSkipDeletedSubfields = false);
    bool SfdMovePrev(bool bSkipDeletedSubfields = false);
    bool SfdMoveLast(bool bSkipDeletedSubfields = false);
    bool SfdMoveTop();
    bool SfdMoveBottom();
    bool SfdFindFirst(const std::string& sSubfieldCode, const std::string& sNormalizedSubfieldText = std::string());
    bool SfdFindNext(const std::string& sSubfieldCode = std::string(),
                     const std::string& sNormalizedSubfieldText = std::string());
    bool SfdFindLast(const std::string& sSubfieldCode, const std::string& sNormalizedSubfieldText = std::string());
    bool Sfdfindprev(const std::string& sSubfieldCode = std::string(),
                     const std::string& sNormalizedSubfieldText = std::string());
    bool SfdTestFirst(const std::string& sSubfieldCode) const;
    bool SfdTestNext(const std::string& sSubfieldCode) const;
    bool SfdTestPrev(const std::string& sSubfieldCode) const;
    std::int16_t SfdPointer() const { return sfdPointer_; }
    void SfdPointer(std::int16_t value);
    bool SfdWasFound() const { return sfdPointer_ >= 0; }
    std::string SfdCode() const;
    void SfdCode(const std::string& value);
    std::string SfdText() const;
    // A value beginning with the delimiter sets the code (second octet) and the text (the rest).
    void SfdText(const std::string& value);
    std::string SfdNorm() const;
    bool SfdDeleted() const;
    // Texts lose leading and trailing blanks, except in 010 (see Store010Exactly).
    void SfdChange(const std::string& sSubfieldCode, const std::string& sSubfieldText);
    void SfdAdd(const std::string& sSubfieldCode, const std::string& sSubfieldText);
    void SfdInsertBefore(const std::string& sSubfieldCode, const std::string& sSubfieldText);
    void SfdInsertAfter(const std::string& sSubfieldCode, const std::string& sSubfieldText);
    // With bConsider245HPunctuation a deleted 245 $h hands its closing punctuation on.
    void SfdDelete(bool bConsider245HPunctuation = false);
    void SfdUndelete();
    static std::string SfdMake(const std::string& sSubfieldCode, const std::string& sSubfieldText);
    static std::string SfdDelim(const std::string& sSubfieldCode);

    // ---- field and subfield order -------------------------------------------------------------
    const std::string& FldOrderFolder() const { return fldOrderFolder_; }
    // Only while the record is empty: reads "bibsup.cfg", "holdsup.cfg" and "authsup.cfg" of the
    // folder; each format's instructions come into force at its next load (defaults when none).
    void FldOrderFolder(const std::string& value);
    void ClearFldOrder(const std::string& sMarcFormat);
    void SetFldOrder(const std::string& sMarcFormat, const std::string& sBeginTag, const std::string& sEndTag,
                     std::int16_t iSortMethod);
    void ClearSfdOrder(const std::string& sMarcFormat);
    // sInstruction: the subfield codes in their prescribed order; an empty tag sets the instruction
    // for tags without one of their own.
    void SetSfdOrder(const std::string& sMarcFormat, const std::string& sTag = std::string(),
                     const std::string& sInstruction = std::string());
    void SetDefaultFldOrderAuth();
    void SetDefaultFldOrderBib();
    void SetDefaultFldOrderHold();

    bool TestFieldOrder() const { return testFieldOrder_; }
    void TestFieldOrder(bool v) { testFieldOrder_ = v; }
    bool TestSubfieldOrder() const { return testSubfieldOrder_; }
    void TestSubfieldOrder(bool v) { testSubfieldOrder_ = v; }
    bool MakeNoChange() const { return makeNoChange_; }
    void MakeNoChange(bool v) { makeNoChange_ = v; }
    bool FldsOutOfOrder() const { return fldsOutOfOrder_; }
    bool SubfieldsOutOfOrder() const { return subfieldsOutOfOrder_; }
    bool FldOrderChanged() const { return fldOrderChanged_; }
    bool SfdOrderChanged() const { return sfdOrderChanged_; }
    // The object itself changed the record since it was loaded (repair, reordering, removal).
    bool MarcRecordModified() const { return marcRecordModified_; }
    const std::string& FldsWithSfdsOutOfOrder() const { return fldsWithSfdsOutOfOrder_; }
    // The current field's place in the order scheme (empty without a current field).
    std::string FldOrderKey() const;
    std::string FldOrderSubKey() const;

    // ---- string services ----------------------------------------------------------------------
    // 1-based position of the last occurrence; 0 when either is empty, too long or absent.
    static std::int32_t Rat(std::string_view sSourceString, std::string_view sStringToFind);
    // Replaces iLength octets at the 1-based position, or inserts when iLength < 1.
    static std::string SafeStuff(const std::string& sOriginalText, std::int32_t lStartingPositionInOctets,
                                 std::int16_t iLengthToRemoveInOctets, const std::string& sReplacementText);
    // An empty character leaves the text as it is.
    static std::string RemoveRepeatedCharacters(const std::string& sOriginalString,
                                                const std::string& sSingleCharToRemoveIfMultiple = " ");
    static std::string ReplaceCharacters(const std::string& sIn, const std::string& sCharacterToRemove,
                                         const std::string& sReplacementCharacter = std::string(),
                                         bool bReplaceMultipleSpacesWithSingle = false);
    bool IsTrue(const std::string& sInput) const;
    // Comparison form: delimiters and their codes become blanks; scheme "V" folds to upper case and
    // turns punctuation into blanks; scheme "P" folds to upper case and keeps punctuation. Both drop
    // combining marks. An empty scheme means NormalizationScheme().
    std::string NormString(std::string_view sCharacterString, bool bTrim = false,
                           const std::string& sScheme = std::string()) const;
    std::string NormalizationScheme() const { return std::string(1, normalizationScheme_); }
    void NormalizationScheme(const std::string& value);
    std::string ListSubfieldsForNormalization(const std::string& sFormat, const std::string& sTag) const;
    std::string NormalizeWholeField(const std::string& sNormalizationScheme, const std::string& sMarcFormat,
                                    const std::string& sTag, const std::string& sIndicators,
                                    const std::string& sInputText,
                                    std::string* sReturnedSubfieldsOfInterestButNotNormalized = nullptr);
    // ISBN as ISBN-13 digits, ISSN as eight characters, LCCN in its normalised form, others upper
    // case without blanks and hyphens. The tag may also be given as "ISBN", "ISSN" or "LCCN"; it is
    // returned as the numeric tag, and the text as the number found (qualifiers dropped).
    std::string NormalizeStandardNumber(std::string& sStandardNumberTag, std::string& sStandardNumberText) const;
    // Sortable form: type "0"/"2" (LC, NLM), "1" (Dewey), anything else by natural order.
    std::string NormalizeCallNumber(const std::string& sCallNumber, const std::string& sCallNumberType) const;
    static bool VernacularDataPresent(std::string_view sIn);
    // Lists the scripts found as letters in the order "GRHAKJCZ".
    static bool VernacularDataCharacterize(std::string_view sIn, std::string& sCharacterSetsPresent);

    // ---- display ------------------------------------------------------------------------------
    // The current field as one line; iOutput 0 plain, else RTF. An empty include list means all codes.
    std::string FldTextFormatted(std::int32_t iOutput = 0, bool bIncludeRtfWrapper = false,
                                 std::int16_t iRtfFontSizeInPoints = 10,
                                 const std::string& sSubfieldsToInclude = std::string(),
                                 const std::string& sSubfieldsToExclude = std::string());
    // The fixed-field block, then one line per field ("tag ind text"); lines joined by CR LF, no
    // line end after the last. Cursors are left as they were.
    std::string TextFormatted(std::int32_t iOutput = 0, bool bIncludeRtfWrapper = false,
                              std::int16_t iRtfFontSizeInPoints = 10);

private:
    struct SubfieldEntry {
        std::string Code;  // one octet; empty for text that stood before the field's first delimiter
        std::string Text;
        mutable std::string Norm;     // built on first use
        mutable char NormScheme = 0;  // scheme Norm was built under; 0 = not built
        std::int16_t NextSubfield = -1;
        std::int16_t PrevSubfield = -1;
        std::string SortForm;  // rank of the code in the tag's subfield-order instruction
        bool Deleted = false;
    };
    struct FieldEntry {
        std::string Tag;
        std::string Indicators;
        bool NoIndicators = false;
        std::string OrderKey;
        std::string OrderSubKey;
        bool Deleted = false;
        std::int16_t NextField = -1;
        std::int16_t PrevField = -1;
        std::int16_t FirstSubfield = -1;
        std::int16_t LastSubfield = -1;
        std::int16_t MaxSubfield = -1;
        std::vector<SubfieldEntry> Subfields;  // entries 0 .. MaxSubfield are in use
    };
    struct OrderInstruction {
        std::string BeginTag;
        std::string EndTag;
        std::int16_t Method = 0;
    };
    struct SubfieldOrderInstruction {
        std::string Tag;  // empty: tags without an instruction of their own
        std::string Codes;
    };
    struct FormatOrder {
        std::vector<OrderInstruction> Fields;
        std::vector<SubfieldOrderInstruction> Subfields;
        bool ApplyAtNextLoad = false;
        std::array<std::int16_t, 1000> TagSlot{};  // numeric tag -> instruction index + 1, 0 none
        bool TagSlotsValid = false;
    };

    // structure
    void ResetRecord();
    static std::string RepairLeader(const std::string& record, bool& repaired);
    void ParseDirectory(std::string_view record, std::size_t baseAddress);
    void NoteEntryProblem(LoadProblem kind, std::string_view tag);
    void ReadBooleans();
    static std::string Default008(const std::string& format);
    void AdjustAfterTypeChange();

    // field table
    bool RecordIsEmpty() const { return fieldCount_ == 0; }
    FieldEntry* Current();
    const FieldEntry* Current() const;
    SubfieldEntry* CurrentSubfield();
    const SubfieldEntry* CurrentSubfield() const;
    std::int16_t NewFieldEntry(std::string_view tag);
    void FillField(FieldEntry& f, std::string_view indicators, std::string_view text, bool fromLoad);
    void SplitSubfields(FieldEntry& f, std::string_view text);
    std::int16_t AppendSubfieldEntry(FieldEntry& f, std::string_view code, std::string_view text);
    static void NormalizeIndicators(std::string& out, std::string_view indicators, bool force);
    void LinkAtTail(std::int16_t index);
    void LinkBefore(std::int16_t index, std::int16_t before);
    void LinkAfter(std::int16_t index, std::int16_t after);
    void Unlink(std::int16_t index);
    void AddField(std::string_view tag, std::string_view indicators, std::string_view text, bool forceToFirst,
                  bool fromLoad);
    std::string FieldText(const FieldEntry& f) const;
    void MoveFieldCursorTo(std::int16_t index);
    bool Store010Exactly(const FieldEntry& f, std::string_view code) const;
    std::string CleanSubfieldText(const FieldEntry& f, std::string_view code, std::string_view text) const;

    // navigation
    void ClearFlags();
    std::int16_t StepField(std::int16_t from, bool forward, bool skipDeleted) const;
    bool FieldMatches(const FieldEntry& f) const;
    bool FieldSearch(bool forward, bool fromEnd, const std::string& tag, const std::string& text);
    void RememberTagList(const std::string& tag);
    bool FieldTest(std::int16_t start, bool forward, const std::string& tag) const;
    bool SubfieldSearch(bool forward, bool fromEnd, const std::string& code, const std::string& text);
    bool SubfieldTest(std::int16_t start, bool forward, const std::string& code) const;
    bool SubfieldMatches(const SubfieldEntry& s) const;
    const std::string& SubfieldNorm(const SubfieldEntry& s) const;

    // order
    FormatOrder& OrderFor(const std::string& format);
    const FormatOrder& OrderFor(const std::string& format) const;
    static char OrderGroup(const std::string& format);
    void InstallDefaultFldOrder(char group);
    void ComputeOrderKey(FieldEntry& f, std::int16_t index);
    std::string SubKeyFromLinkage(const FieldEntry& f) const;
    std::string MethodKeyPart(const FieldEntry& f, std::int16_t method) const;
    static int CompareOrder(const FieldEntry& a, const FieldEntry& b);
    void PlaceNewField(std::int16_t index, bool forceToFirst, bool fromLoad);
    void ReadOrderFile(char group, const std::string& path);
    const SubfieldOrderInstruction* SubfieldOrderFor(const std::string& tag) const;
    void PlaceNewSubfield(FieldEntry& f, std::int16_t index);
    static std::string RankOf(const SubfieldOrderInstruction& ins, std::string_view code);
    void RemoveDuplicate035(std::int16_t keepIndex, const std::string& number);

    // display
    std::string PlainFieldText(const FieldEntry& f, const std::string& include, const std::string& exclude) const;
    void AppendPlainFieldText(std::string& out, const FieldEntry& f, const std::string& include,
                              const std::string& exclude) const;
    std::string RtfFieldText(const FieldEntry& f, const std::string& include, const std::string& exclude) const;
    std::string FixedFieldBlock() const;

    // character seams (all in Utf8MarcRecordCharacters.cpp)
    static char ValidCharacterSetCode(const std::string& value, bool forOutput, bool& ulc);
    std::string CharacterizeOctets(std::string_view text) const;
    void TranslateLoadedFields(char fromSet, char toSet);
    bool TranslateText(std::string& text, char fromSet, char toSet, bool& error) const;
    bool DecomposeText(std::string& text) const;
    static void SubstituteAlif(std::string& text);
    void PrepareLoadedCharacters(std::string_view record);
    void NormalizeCharacters(std::string_view text, char scheme, char characterSet, std::string& out) const;

    // settings
    bool removeDuplicateOclcNumbers_ = false;
    bool removeDuplicative035Fields_ = true;
    bool removeOclcAlphabeticPrefix_ = false;
    bool oclcNumbersHaveLeadingZeroes_ = false;
    bool rdaReCast502Fields_ = false;
    bool forceInvalidIndicatorValues_ = false;
    bool disableUtf8Decomposition_ = false;
    bool useDoubleWidthDiacritics_ = false;
    bool testFieldOrder_ = true;
    bool testSubfieldOrder_ = true;
    bool makeNoChange_ = false;
    char characterSetIn_ = 'U';
    char characterSetOut_ = 'U';
    bool outputUlc_ = false;
    char normalizationScheme_ = 'V';
    std::string fldOrderFolder_;
    FormatOrder orderA_, orderB_, orderH_;

    // record
    std::string rawRecord_;
    std::string leader_;
    std::string directory_;
    std::string isMarcErrorText_;
    std::string formatCode_ = "B";
    std::string controlNumber_;
    bool isAuthority_ = false;
    char recordCharacterSet_ = 0;  // input set of the loaded record, 0 when none is loaded
    bool marcRecordTranslated_ = false;
    bool charactersDecomposed_ = false;
    std::int16_t fld008Length_ = 0;
    std::int16_t index008_ = -1;
    std::uint8_t loadProblems_ = 0;
    std::array<std::array<char, 3>, 5> loadProblemTags_{};  // per entry kind, its first entry's tag

    // field table
    std::vector<FieldEntry> fields_;  // entries beyond fieldCount_ are kept for reuse
    std::int16_t fieldCount_ = 0;
    std::int16_t head_ = -1;
    std::int16_t tail_ = -1;
    std::int16_t fldPointer_ = -1;
    std::int16_t sfdPointer_ = -1;
    bool beforeFirstField_ = false;
    bool afterLastField_ = false;
    bool beforeFirstSubfield_ = false;
    bool afterLastSubfield_ = false;
    std::string searchTags_;
    std::string searchFieldText_;
    std::string searchCodes_;
    std::string searchSubfieldText_;
    std::int16_t loadMaxField_ = -1;  // field with the highest order key seen while loading

    // results
    bool fldsOutOfOrder_ = false;
    bool subfieldsOutOfOrder_ = false;
    bool fldOrderChanged_ = false;
    bool sfdOrderChanged_ = false;
    bool marcRecordModified_ = false;
    std::string fldsWithSfdsOutOfOrder_;

    // assembly buffer kept between records
    std::string outDirectory_;
};

}  // namespace linkmend

#include "catalog/ReturnCodes.h"

#include <algorithm>
#include <iterator>

namespace linkmend {
namespace {

struct CodeText {
    std::int32_t code;
    const char* text;
};

// Sorted by code for the binary search.
constexpr CodeText kTexts[] = {
    {0, "Success"},
    {1, "Unknown error #1"},
    {2, "Not a MARC record"},
    {3, "Not the correct type of record"},
    {4, "Record does not contain a 245 field with $a"},
    {5, "Problem adding the 001 field"},
    {6, "Unknown error #6"},
    {7, "Record has more than one 001 field"},
    {8, "Record has no 001 field"},
    {9, "004 field is empty"},
    {10, "Could not add the record"},
    {11, "Could not add the new record number"},
    {13, "Record number is not valid"},
    {15, "Leader's record length is incorrect"},
    {16, "Record has no leader"},
    {19, "Linked bibliographic ID is not valid"},
    {21, "Error while modifying the record"},
    {22, "Owning library ID is not valid"},
    {23, "Location code (852/b) is not valid"},
    {24, "Cataloging location ID is not valid"},
    {26, "Cannot connect to Voyager"},
    {27, "Invalid user name or password"},
    {28, "Cannot obtain correct security"},
    {29, "Cannot get list of item status codes"},
    {30, "Record has no 004 field"},
    {31, "Could not reassemble the completed record"},
    {32, "Could not obtain a new record ID"},
    {33, "Length of the 008 field is incorrect"},
    {34, "Record has no 008 field"},
    {35, "Error with the linked bibligraphic ID"},
    {36, "Structure of the record is incorrect"},
    {37, "Record has no 852 field"},
    {38, "852 field has no subfield $b"},
    {39, "852/b contains no data"},
    {41, "Record updated since last read"},
    {42, "Cannot update the record"},
    {50, "Cannot add the item record"},
    {51, "Piece count is not valid"},
    {52, "Price is not valid"},
    {55, "Linked holdings ID is not valid"},
    {56, "Permanent location ID is not valid"},
    {57, "Temporary location ID is not valid"},
    {58, "Media type ID is not valid"},
    {59, "Permanent type code is not valid"},
    {60, "Temporary type code is not valid"},
    {61, "Cannot delete; charged"},
    {62, "Cannot delete; exception logged"},
    {63, "Cannot delete; fine or fee"},
    {64, "Cannot delete; on reserve"},
    {65, "Cannot delete; short loan request"},
    {66, "Cannot delete; distribution item on order"},
    {67, "Cannot delete; currently scheduled"},
    {68, "Cannot delete; on hold or awaiting request cancellation"},
    {69, "Cannot delete; queued for callslip"},
    {70, "Cannot delete; in remote storage"},
    {71, "Cannot delete; needed to fulfill a booking"},
    {72, "Cannot delete; distribution item"},
    {80, "Item ID is not valid"},
    {81, "Barcode is not valid"},
    {82, "Cannot add the barcode"},
    {90, "Item is blocked"},
    {91, "Cannot change the item status"},
    {92, "Item status is not valid"},
    {100, "Cannot delete; items still attached"},
    {101, "Cannot delete; line items attached"},
    {102, "Cannot delete; holdings attached"},
    {103, "Cannot delete; line items attached"},
    {104, "Cannot delete; e-items attached"},
    {105, "Cannot delete; OPAC request attached"},
    {106, "Cannot delete; call slip attached"},
    {107, "Cannot delete; hold/recall attached"},
    {203, "Server is set to 'read only'"},
};

}  // namespace

std::string ReturnCodeText(std::int32_t code) {
    const auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                                     [](const CodeText& e, std::int32_t c) { return e.code < c; });
    if (it != std::end(kTexts) && it->code == code) return it->text;
    return "Return value not defined";
}

}  // namespace linkmend

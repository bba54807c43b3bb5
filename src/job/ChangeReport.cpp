#include "job/ChangeReport.h"

#include <algorithm>

#include "marc/Utf8MarcRecordClass.h"

namespace linkmend {
namespace {

constexpr const char* kReportedTags[] = {"856", "590"};

using Images = std::vector<const FieldImage*>;

Images OfTag(const std::vector<FieldImage>& images, const std::string& tag) {
    Images out;
    for (const FieldImage& image : images) {
        if (image.tag == tag) out.push_back(&image);
    }
    return out;
}

std::vector<std::string> TextsOf(const FieldImage& field, const std::string& code) {
    std::vector<std::string> texts;
    for (const auto& [c, text] : field.subfields) {
        if (c == code) texts.push_back(text);
    }
    return texts;
}

std::string ChangedCodes(const FieldImage& before, const FieldImage& after) {
    std::vector<std::string> codes;
    for (const FieldImage* field : {&before, &after}) {
        for (const auto& subfield : field->subfields) {
            if (std::find(codes.begin(), codes.end(), subfield.first) == codes.end()) codes.push_back(subfield.first);
        }
    }
    std::string changed;
    for (const std::string& code : codes) {
        if (TextsOf(before, code) != TextsOf(after, code)) changed += (changed.empty() ? "$" : " $") + code;
    }
    // The same subfields in a different display: only the indicators differ.
    return changed.empty() ? "indicators" : changed;
}

// Index pairs (before, after; -1 for none) of the fields that differ.
using Pairs = std::vector<std::pair<int, int>>;

// A change that neither adds nor deletes fields keeps them in place: they pair by position. Otherwise
// the unchanged fields are matched up (longest common subsequence) and the rest pair off between them.
Pairs Align(const Images& b, const Images& a) {
    Pairs pairs;
    if (b.size() == a.size()) {
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (!(*b[i] == *a[i])) pairs.emplace_back(static_cast<int>(i), static_cast<int>(i));
        }
        return pairs;
    }
    const std::size_t n = b.size(), m = a.size();
    std::vector<std::vector<std::size_t>> common(n + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = n; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            common[i][j] = *b[i] == *a[j] ? common[i + 1][j + 1] + 1 : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    std::vector<int> gapBefore, gapAfter;
    auto closeGap = [&] {
        for (std::size_t k = 0; k < std::max(gapBefore.size(), gapAfter.size()); ++k) {
            pairs.emplace_back(k < gapBefore.size() ? gapBefore[k] : -1, k < gapAfter.size() ? gapAfter[k] : -1);
        }
        gapBefore.clear();
        gapAfter.clear();
    };
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && *b[i] == *a[j]) {
            closeGap();
            ++i;
            ++j;
        } else if (j == m || (i < n && common[i + 1][j] >= common[i][j + 1])) {
            gapBefore.push_back(static_cast<int>(i++));
        } else {
            gapAfter.push_back(static_cast<int>(j++));
        }
    }
    closeGap();
    return pairs;
}

}  // namespace

std::vector<FieldImage> TakeFieldImages(Utf8MarcRecordClass& record) {
    std::vector<FieldImage> images;
    record.FldMoveTop();
    while (record.FldFindNext("856 590")) {
        FieldImage image{record.FldTag(),
                         record.FldTag() + " " + record.FldInd() + " " +
                             record.FldTextFormatted(0, false, 10, std::string(), std::string()),
                         {}};
        for (bool found = record.SfdMoveFirst(true); found; found = record.SfdMoveNext(true)) {
            image.subfields.emplace_back(record.SfdCode(), record.SfdText());
        }
        images.push_back(std::move(image));
    }
    return images;
}

std::vector<std::string> ChangeRows(const Candidate& candidate, const std::vector<FieldImage>& before,
                                    const std::vector<FieldImage>& after) {
    std::vector<std::string> rows;
    for (const char* tag : kReportedTags) {
        const Images b = OfTag(before, tag), a = OfTag(after, tag);
        for (const auto& [i, j] : Align(b, a)) {
            const FieldImage* was = i >= 0 ? b[static_cast<std::size_t>(i)] : nullptr;
            const FieldImage* now = j >= 0 ? a[static_cast<std::size_t>(j)] : nullptr;
            const std::string changed = !now ? "field deleted" : !was ? "field added" : ChangedCodes(*was, *now);
            rows.push_back(CsvField(candidate.type) + "," + CsvField(candidate.id) + "," + tag + "," +
                           std::to_string((i >= 0 ? i : j) + 1) + "," + CsvField(was ? was->display : "") + "," +
                           CsvField(now ? now->display : "") + "," + changed);
        }
    }
    return rows;
}

std::string CsvField(const std::string& text) {
    // A plain scan: find_first_of would search the four octets anew for every octet of the text.
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }))
        return text;
    std::string quoted;
    quoted.reserve(text.size() + 8);
    quoted += '"';
    // The text in runs up to each quotation mark, which is doubled.
    for (std::size_t from = 0;;) {
        const std::size_t mark = text.find('"', from);
        if (mark == std::string::npos) {
            quoted.append(text, from, std::string::npos);
            break;
        }
        quoted.append(text, from, mark + 1 - from);
        quoted += '"';
        from = mark + 1;
    }
    quoted += '"';
    return quoted;
}

}  // namespace linkmend

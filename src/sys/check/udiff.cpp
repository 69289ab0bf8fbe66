// The unified diff shown for a changed file in a change report: the lines that differ between
// the old and the new content, in the form GNU patch applies back byte for byte.
//
// Contract of SysUnifiedDiff:
//  - three lines of context; two changes with six or fewer unchanged lines between them share
//    one hunk, as GNU diff -u has it; hunk headers are written the way GNU diff writes them;
//  - lines are split on '\n' and compared as whole byte strings, the line end included, so
//    that "x" at the end of one text and "x\n" in the other differ; a last line without line
//    end is followed by "\ No newline at end of file";
//  - "--- a/LABEL" and "+++ b/LABEL", with "/dev/null" for the side that is null, and no
//    time stamps; a label with a quote, a backslash or a control character in it is written
//    in double quotes with C escapes, as GNU diff writes such names and GNU patch reads them;
//  - empty when the texts are equal, and also when one side is null and the other empty: a
//    file created or removed while empty has no line a patch could carry.
// The edit script is a shortest one (Myers' O(ND) algorithm in its linear space form), each
// run of changes then slid the way GNU diff slides it, so the hunks mostly read like its own.
#include "vxconfig/changes.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

const long CONTEXT = 3;

// prefix + label for a header line; quoted when a character of it would end or break the
// line (a newline in a file name would otherwise start a line of its own).
std::string FileName(const char* prefix, const std::string& label) {
    std::string plain = prefix + label;
    bool quote = false;
    for (unsigned char c : plain)
        quote = quote || c < 0x20 || c == 0x7f || c == '"' || c == '\\';
    if (!quote)
        return plain;
    std::string out = "\"";
    for (unsigned char c : plain) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= '\a' && c <= '\r') {
            out += '\\';
            out += "abtnvfr"[c - '\a'];
        } else if (c < 0x20 || c == 0x7f) {
            char octal[8];
            snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Cuts text into lines, each with its '\n' if it has one; no line at all for "".
std::vector<std::string_view> SplitLines(const std::string* text) {
    std::vector<std::string_view> lines;
    if (!text)
        return lines;
    std::string_view rest(*text);
    while (!rest.empty()) {
        size_t nl = rest.find('\n');
        size_t len = nl == std::string_view::npos ? rest.size() : nl + 1;
        lines.push_back(rest.substr(0, len));
        rest.remove_prefix(len);
    }
    return lines;
}

// Numbers the distinct lines of both texts, so that the search compares ints; equal numbers
// mean equal bytes, the hash is only the way to find a line's number.
void NumberLines(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b,
                 std::vector<long>& idA, std::vector<long>& idB) {
    std::unordered_map<std::string_view, long> ids;
    ids.reserve(a.size() + b.size());
    for (std::string_view line : a)
        idA.push_back(ids.emplace(line, static_cast<long>(ids.size())).first->second);
    for (std::string_view line : b)
        idB.push_back(ids.emplace(line, static_cast<long>(ids.size())).first->second);
}

// The shortest edit script between two sequences of line numbers, as a flag per line of each
// side telling whether the line is deleted (a) or inserted (b). Linear space: the search
// finds the middle snake of an optimal path and recurses on both halves, reusing two
// diagonal vectors.
class Differ {
public:
    Differ(const std::vector<long>& a, const std::vector<long>& b, std::vector<char>& delA,
           std::vector<char>& insB)
        : m_a(a), m_b(b), m_delA(delA), m_insB(insB) {
        size_t diagonals = 2 * (a.size() + b.size()) + 5;
        m_fwd.resize(diagonals);
        m_bwd.resize(diagonals);
        m_offset = static_cast<long>(a.size() + b.size()) + 2;
    }

    void Run() { Compare(0, static_cast<long>(m_a.size()), 0, static_cast<long>(m_b.size())); }

private:
    const std::vector<long>& m_a;
    const std::vector<long>& m_b;
    std::vector<char>& m_delA;
    std::vector<char>& m_insB;
    std::vector<long> m_fwd, m_bwd; // furthest x reached per diagonal, from either end
    long m_offset;                  // diagonal k lives at index k + m_offset

    // Settles a[aLo, aHi) against b[bLo, bHi): the common ends cost nothing, a side left
    // empty makes the other side all changes, anything else is cut at its middle snake.
    void Compare(long aLo, long aHi, long bLo, long bHi) {
        while (aLo < aHi && bLo < bHi && m_a[aLo] == m_b[bLo]) {
            ++aLo;
            ++bLo;
        }
        while (aLo < aHi && bLo < bHi && m_a[aHi - 1] == m_b[bHi - 1]) {
            --aHi;
            --bHi;
        }
        if (aLo == aHi) {
            for (long j = bLo; j < bHi; ++j)
                m_insB[j] = 1;
            return;
        }
        if (bLo == bHi) {
            for (long i = aLo; i < aHi; ++i)
                m_delA[i] = 1;
            return;
        }
        std::pair<long, long> mid = MiddleSnake(aLo, aHi, bLo, bHi);
        Compare(aLo, mid.first, bLo, mid.second);
        Compare(mid.first, aHi, mid.second, bHi);
    }

    // A point (x, y) on a shortest path through the box, found by searching forward from its
    // top and backward from its bottom until the two frontiers meet. Both ends differ (the
    // caller trimmed them), so the point is never a corner and both halves are smaller.
    std::pair<long, long> MiddleSnake(long aLo, long aHi, long bLo, long bHi) {
        const long n = aHi - aLo, m = bHi - bLo, delta = n - m;
        const bool odd = (delta & 1) != 0;
        const long* a = m_a.data() + aLo;
        const long* b = m_b.data() + bLo;
        long* fwd = m_fwd.data() + m_offset; // x from the top-left corner
        long* bwd = m_bwd.data() + m_offset; // x from the bottom-right corner
        fwd[1] = 0;
        bwd[1] = 0;
        for (long d = 0;; ++d) {
            for (long k = -d; k <= d; k += 2) {
                long x =
                    (k == -d || (k != d && fwd[k - 1] < fwd[k + 1])) ? fwd[k + 1] : fwd[k - 1] + 1;
                long y = x - k;
                while (x < n && y < m && a[x] == b[y]) {
                    ++x;
                    ++y;
                }
                fwd[k] = x;
                long back = delta - k; // the same diagonal as the backward search numbers it
                if (odd && back >= -(d - 1) && back <= d - 1 && x + bwd[back] >= n)
                    return {aLo + x, bLo + y};
            }
            for (long k = -d; k <= d; k += 2) {
                long x =
                    (k == -d || (k != d && bwd[k - 1] < bwd[k + 1])) ? bwd[k + 1] : bwd[k - 1] + 1;
                long y = x - k;
                while (x < n && y < m && a[n - 1 - x] == b[m - 1 - y]) {
                    ++x;
                    ++y;
                }
                bwd[k] = x;
                long front = delta - k;
                if (!odd && front >= -d && front <= d && x + fwd[front] >= n)
                    return {aLo + n - x, bLo + m - y};
            }
        }
    }
};

// For each gap between two unchanged lines of a side (gap u follows its u-th unchanged line),
// whether that side has changed lines there.
std::vector<char> GapsWithChanges(const std::vector<char>& changed) {
    std::vector<char> gaps(1, 0);
    for (char c : changed) {
        if (c)
            gaps.back() = 1;
        else
            gaps.push_back(0);
    }
    return gaps;
}

// Among the shortest scripts there are often several that differ only in where a run of
// changes sits, e.g. which of two equal closing lines counts as the added one. Like GNU diff,
// each run is slid down as far as it goes, joining runs it meets on the way, and then back up
// to the lowest place where the other side changes too, so a replacement stays one change.
void SlideRuns(const std::vector<long>& id, std::vector<char>& changed,
               const std::vector<char>& otherGaps) {
    const long n = static_cast<long>(id.size());
    long i = 0, unchanged = 0; // unchanged: the unchanged lines before i
    while (i < n) {
        if (!changed[i]) {
            ++i;
            ++unchanged;
            continue;
        }
        long start = i, end = i;
        while (end < n && changed[end])
            ++end;
        long length;
        do {
            length = end - start;
            while (start > 0 && id[start - 1] == id[end - 1]) {
                changed[--start] = 1;
                changed[--end] = 0;
                --unchanged;
                while (start > 0 && changed[start - 1])
                    --start;
            }
            while (end < n && id[start] == id[end]) {
                changed[start++] = 0;
                changed[end++] = 1;
                ++unchanged;
                while (end < n && changed[end])
                    ++end;
            }
        } while (length != end - start);
        // The run can go back up as far as its upward slide reached; it stops at the first
        // place where the other side has changed lines beside it, if there is one.
        long up = 0;
        while (!otherGaps[unchanged - up] && start - up > 0 &&
               id[start - up - 1] == id[end - up - 1] && !changed[start - up - 1])
            ++up;
        if (!otherGaps[unchanged - up])
            up = 0;
        for (long s = 0; s < up; ++s) {
            changed[--start] = 1;
            changed[--end] = 0;
        }
        unchanged -= up;
        i = end;
    }
}

// One stretch of changes: del lines of a from i0 give way to ins lines of b from j0.
struct Change {
    long i0, del, j0, ins;
};

std::vector<Change> CollectChanges(const std::vector<char>& delA, const std::vector<char>& insB) {
    std::vector<Change> changes;
    const long n = static_cast<long>(delA.size()), m = static_cast<long>(insB.size());
    long i = 0, j = 0;
    while (i < n || j < m) {
        if ((i < n && delA[i]) || (j < m && insB[j])) {
            Change c{i, 0, j, 0};
            while (i < n && delA[i])
                ++i;
            while (j < m && insB[j])
                ++j;
            c.del = i - c.i0;
            c.ins = j - c.j0;
            changes.push_back(c);
        } else {
            ++i;
            ++j;
        }
    }
    return changes;
}

// A hunk header range as GNU diff writes it: a single line is only its number, and an empty
// range is numbered by the line before it.
std::string Range(long start, long count) {
    if (count == 0)
        return std::to_string(start) + ",0";
    if (count == 1)
        return std::to_string(start + 1);
    return std::to_string(start + 1) + "," + std::to_string(count);
}

void AppendLine(std::string& out, char mark, std::string_view line) {
    out += mark;
    out.append(line.data(), line.size());
    if (line.back() != '\n')
        out += "\n\\ No newline at end of file\n";
}

} // namespace

// The diff of one entry of a change report; a null side is a file that is not there.
std::string SysUnifiedDiff(const std::string& label, const std::string* before,
                           const std::string* after) {
    const std::string empty;
    if ((before ? *before : empty) == (after ? *after : empty))
        return std::string();
    std::vector<std::string_view> a = SplitLines(before), b = SplitLines(after);
    std::vector<long> idA, idB;
    NumberLines(a, b, idA, idB);

    // A line that the other side lacks cannot be matched; leaving such lines out of the
    // search keeps two mostly rewritten files cheap, and the script found is just as short.
    std::vector<char> inA(idA.size() + idB.size(), 0), inB(inA.size(), 0);
    for (long id : idA)
        inA[id] = 1;
    for (long id : idB)
        inB[id] = 1;
    std::vector<long> keptA, keptB, whereA, whereB;
    std::vector<char> delA(a.size(), 1), insB(b.size(), 1);
    for (size_t i = 0; i < idA.size(); ++i) {
        if (inB[idA[i]]) {
            keptA.push_back(idA[i]);
            whereA.push_back(static_cast<long>(i));
        }
    }
    for (size_t j = 0; j < idB.size(); ++j) {
        if (inA[idB[j]]) {
            keptB.push_back(idB[j]);
            whereB.push_back(static_cast<long>(j));
        }
    }
    std::vector<char> keptDel(keptA.size(), 0), keptIns(keptB.size(), 0);
    Differ(keptA, keptB, keptDel, keptIns).Run();
    for (size_t i = 0; i < keptA.size(); ++i)
        delA[whereA[i]] = keptDel[i];
    for (size_t j = 0; j < keptB.size(); ++j)
        insB[whereB[j]] = keptIns[j];

    SlideRuns(idA, delA, GapsWithChanges(insB));
    SlideRuns(idB, insB, GapsWithChanges(delA));
    std::vector<Change> changes = CollectChanges(delA, insB);

    std::string out;
    out += before ? "--- " + FileName("a/", label) + "\n" : std::string("--- /dev/null\n");
    out += after ? "+++ " + FileName("b/", label) + "\n" : std::string("+++ /dev/null\n");
    const long n = static_cast<long>(a.size());
    for (size_t first = 0; first < changes.size();) {
        // The hunk takes in every next change whose context would touch or overlap its own.
        size_t last = first;
        while (last + 1 < changes.size() &&
               changes[last + 1].i0 - (changes[last].i0 + changes[last].del) <= 2 * CONTEXT)
            ++last;
        const Change& f = changes[first];
        const Change& l = changes[last];
        long lead = std::min(CONTEXT, f.i0);
        long trail = std::min(CONTEXT, n - (l.i0 + l.del));
        long aStart = f.i0 - lead, bStart = f.j0 - lead;
        long aEnd = l.i0 + l.del + trail, bEnd = l.j0 + l.ins + trail;
        out +=
            "@@ -" + Range(aStart, aEnd - aStart) + " +" + Range(bStart, bEnd - bStart) + " @@\n";
        long i = aStart;
        for (size_t c = first; c <= last; ++c) {
            for (; i < changes[c].i0; ++i)
                AppendLine(out, ' ', a[i]);
            for (long k = 0; k < changes[c].del; ++k)
                AppendLine(out, '-', a[changes[c].i0 + k]);
            for (long k = 0; k < changes[c].ins; ++k)
                AppendLine(out, '+', b[changes[c].j0 + k]);
            i = changes[c].i0 + changes[c].del;
        }
        for (; i < aEnd; ++i)
            AppendLine(out, ' ', a[i]);
        first = last + 1;
    }
    return out;
}

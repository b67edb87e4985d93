// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ErrorTail.h"

#include <QUtf8StringView>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

bool isAsciiBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// Length of the unfinished character at the end of `text`; 0 when the text
// ends on a whole character.
std::size_t cutOffCharacter(std::string_view text) {
    for (std::size_t back = 1; back <= std::min<std::size_t>(3, text.size()); ++back) {
        const auto c = static_cast<unsigned char>(text[text.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

const char *findFirstLineEnd(const char *begin, const char *end) {
    const auto *lf = static_cast<const char *>(std::memchr(begin, '\n', end - begin));
    const char *limit = lf ? lf : end;
    const auto *cr = static_cast<const char *>(std::memchr(begin, '\r', limit - begin));
    return cr ? cr : limit;
}

// The last line end in [begin, end); there must be one.
const char *findLastLineEnd(const char *begin, const char *end) {
    const auto *lf = static_cast<const char *>(::memrchr(begin, '\n', end - begin));
    const char *from = lf ? lf + 1 : begin;
    const auto *cr = static_cast<const char *>(::memrchr(from, '\r', end - from));
    return cr ? cr : lf;
}

bool isNonBlank(const char *data, std::size_t size) {
    bool onlyAscii = true;
    for (std::size_t i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            onlyAscii = false;
        else if (!isAsciiBlank(data[i]))
            return true;
    }
    // Only blanks and non-ASCII characters: let Qt decide what is white space.
    return !onlyAscii && !QString::fromUtf8(data, static_cast<qsizetype>(size)).trimmed().isEmpty();
}

} // namespace

void ErrorTail::feed(const char *data, std::size_t size) {
    if (!checkUtf8(data, size))
        return; // the text will be empty anyway
    const char *end = data + size;
    const char *first = findFirstLineEnd(data, end);
    append(data, static_cast<std::size_t>(first - data));
    if (first == end)
        return;
    endLine();
    const char *last = findLastLineEnd(first, end);
    // Of the complete lines between them only the last few non-blank ones can
    // survive; find where they start, scanning back.
    const char *from = last;
    for (std::size_t found = 0; from > first && found < kKeptLines;) {
        const char *begin = from;
        while (!isLineEnd(begin[-1]))
            --begin;
        if (isNonBlank(begin, static_cast<std::size_t>(from - begin)))
            ++found;
        from = begin - 1;
    }
    for (const char *p = from + 1; p <= last;) {
        const char *q = p;
        while (!isLineEnd(*q))
            ++q;
        append(p, static_cast<std::size_t>(q - p));
        endLine();
        p = q + 1;
    }
    append(last + 1, static_cast<std::size_t>(end - last - 1));
}

QString ErrorTail::finish() {
    endLine();
    if (!m_valid || !m_partialCharacter.empty())
        return {};
    std::string joined;
    for (std::size_t i = 0; i < m_count; ++i) {
        if (i > 0)
            joined += '\n';
        joined += m_kept[(m_next + kKeptLines - m_count + i) % kKeptLines];
    }
    return QString::fromUtf8(joined);
}

// The whole stream decides, so a character split between two pieces is
// checked once both halves are there.
bool ErrorTail::checkUtf8(const char *data, std::size_t size) {
    if (!m_valid)
        return false;
    std::string joined;
    std::string_view text(data, size);
    if (!m_partialCharacter.empty()) {
        joined = m_partialCharacter;
        joined.append(text);
        text = joined;
    }
    const std::size_t cut = cutOffCharacter(text);
    m_valid = QUtf8StringView(text.data(), static_cast<qsizetype>(text.size() - cut)).isValidUtf8();
    m_partialCharacter.assign(text.substr(text.size() - cut));
    return m_valid;
}

void ErrorTail::append(const char *data, std::size_t size) {
    // Leading indentation would otherwise use up the length cap.
    if (m_line.empty() && !m_truncated) {
        while (size > 0 && isAsciiBlank(*data)) {
            ++data;
            --size;
        }
    }
    const std::size_t room = kMaxLineBytes - m_line.size();
    if (size > room) {
        size = room;
        m_truncated = true;
    }
    m_line.append(data, size);
}

void ErrorTail::endLine() {
    // A line cut at the length cap must not end inside a character.
    if (m_truncated)
        m_line.resize(m_line.size() - cutOffCharacter(m_line));
    while (!m_line.empty() && isAsciiBlank(m_line.back()))
        m_line.pop_back();
    if (isNonBlank(m_line.data(), m_line.size())) {
        m_kept[m_next].assign(m_line);
        m_next = (m_next + 1) % kKeptLines;
        m_count = std::min(m_count + 1, kKeptLines);
    }
    m_line.clear();
    m_truncated = false;
}

// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <string>

// Keeps only what a failure summary can use: the last few non-blank lines of
// a child's standard error, each cut to a bounded length. Memory stays
// constant however much the child writes.
class ErrorTail {
public:
    static constexpr std::size_t kMaxLineBytes = 4096;
    static constexpr std::size_t kKeptLines = 3;

    // Takes the stream in pieces of any size; a line or a character may be
    // split anywhere between them.
    void feed(const char *data, std::size_t size);
    // The kept lines joined by "\n", or nothing if the whole stream was not
    // valid UTF-8.
    QString finish();

private:
    bool checkUtf8(const char *data, std::size_t size);
    void append(const char *data, std::size_t size);
    void endLine();

    bool m_valid = true;
    std::string m_partialCharacter; // cut off at the end of the last piece
    std::string m_line;
    bool m_truncated = false;
    std::array<std::string, kKeptLines> m_kept;
    std::size_t m_next = 0;
    std::size_t m_count = 0;
};

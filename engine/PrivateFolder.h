// SPDX-FileCopyrightText: 2026 The Loomfin developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <string>

// A job's private temporary folder (mode 0700, unpredictable name) under
// $TMPDIR, or /tmp when TMPDIR is unset or unusable. Its lock file, made in
// it with it, proves it Loomfin's; the job holds the lock for its whole life.
// A folder of this user's with Loomfin's name and lock file, whose lock
// nobody holds, belongs to a job that died (killed, crashed): the next job
// removes it together with the partial GIFs the dead job had recorded. No
// other folder is ever touched.
class PrivateFolder {
public:
    PrivateFolder(PrivateFolder &&other) noexcept;
    PrivateFolder &operator=(PrivateFolder &&other) noexcept;
    PrivateFolder(const PrivateFolder &) = delete;
    ~PrivateFolder();

    // Makes the folder under the first usable base (TMPDIR, else the
    // fallback); on failure, a text that names the folder and the cause.
    static std::optional<PrivateFolder> make(const std::optional<std::string> &tmpdir,
                                             QString *error,
                                             const std::filesystem::path &fallback = "/tmp");
    // Where jobs make their folders: TMPDIR when it is an absolute path that
    // ffmpeg can take in a pattern, else /tmp.
    static std::filesystem::path base(const std::optional<std::string> &tmpdir);
    // The folder's name with its six random characters as "XXXXXX".
    static std::string namePattern();

    // Removes folders left by jobs that no longer run (never a live job's).
    static void removeStale(const std::filesystem::path &base);

    const std::filesystem::path &path() const { return m_path; }
    // Records a file the job writes outside the folder (any bytes in its
    // path), so that it is removed with the folder should the job die.
    void registerPartialOutput(const std::filesystem::path &file);
    // Removes the folder and everything in it, and lets go of the lock.
    void remove();

private:
    PrivateFolder(std::filesystem::path path, int lockFd);
    std::filesystem::path m_path;
    int m_lockFd = -1;
};

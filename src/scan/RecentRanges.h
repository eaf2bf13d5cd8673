#pragma once

#include <QString>
#include <QStringList>

namespace VexaTool {

// The address ranges scanned last, newest first, each once and at most kMax of them, kept in a text file of one
// range a line where the program keeps the files it writes. GUI thread only.
class RecentRanges {
public:
    static constexpr int kMax = 10;
    // The longest range text kept; the library reads no more than this either.
    static constexpr int kMaxLength = 1024;

    // path empty: "scan-ranges.txt" beside the program where its folder takes files, else in the user's
    // configuration folder (as the column order).
    explicit RecentRanges(const QString& path = QString());

    // Reads the file; a missing file is an empty list.
    void load();
    // Replaces the file whole (a crash leaves the old one). False when it cannot be written.
    bool save() const;

    // Puts ranges first: written the same way once (spaces around commas and doubled spaces do not count), an
    // older copy moves up, the oldest beyond kMax goes. Empty or overlong text is not kept.
    void add(const QString& ranges);
    QStringList list() const { return m_list; }
    QString path() const { return m_path; }

    // The one way a range text is written for the list.
    static QString normalized(const QString& ranges);

private:
    QString m_path;
    QStringList m_list;
};

} // namespace VexaTool

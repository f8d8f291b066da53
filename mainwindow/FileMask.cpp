// Wildcard matching for the file list's mask.
#include "mainwindow/FileMask.h"

#include <QList>
#include <QStringList>

namespace zolvane::gui {

namespace {

constexpr uint kAnyRun = '*';
constexpr uint kAnyOne = '?';

// Greedy match that remembers only the last "*": when a later part fails, that star takes
// one more character and the rest is tried again. Quadratic at worst, never exponential.
bool MatchesPattern(const QList<uint>& name, const QList<uint>& pattern) {
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starAt = -1;
    qsizetype resumeAt = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == kAnyRun) {
            starAt = p++;
            resumeAt = n;
        } else if (p < pattern.size() && (pattern[p] == kAnyOne || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starAt >= 0) {
            p = starAt + 1;
            n = ++resumeAt;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == kAnyRun) {
        ++p;
    }
    return p == pattern.size();
}

// Whole characters, so that "?" takes one even outside the basic plane.
QList<uint> Folded(const QString& text) {
    return text.toCaseFolded().toUcs4();
}

}  // namespace

bool MatchesFileMask(const QString& name, const QString& mask) {
    const QList<uint> folded = Folded(name);
    const bool hasDot = name.contains(QLatin1Char('.'));
    for (const QString& part : mask.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty()) {
            continue;
        }
        if (MatchesPattern(folded, Folded(pattern))) {
            return true;
        }
        // "NAME.*" stands for the name with any extension or none.
        if (!hasDot && pattern.endsWith(QLatin1String(".*")) &&
            MatchesPattern(folded, Folded(pattern.chopped(2)))) {
            return true;
        }
    }
    return false;
}

}  // namespace zolvane::gui

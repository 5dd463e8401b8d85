#include "ui/sorted_list.h"

namespace horalux {

int SortedInsertIndex(const QStringList& entries, const QString& text) {
    int index = 0;
    while (index < entries.size() &&
           QString::compare(entries[index], text, Qt::CaseInsensitive) <= 0) {
        ++index;
    }
    return index;
}

int FindStringPrefix(const QStringList& entries, const QString& prefix, int startAfter) {
    const int count = static_cast<int>(entries.size());
    if (startAfter < 0 || startAfter >= count) {
        startAfter = count - 1;  // the search begins with the first entry
    }
    for (int step = 1; step <= count; ++step) {
        const int index = (startAfter + step) % count;
        if (entries[index].startsWith(prefix, Qt::CaseInsensitive)) {
            return index;
        }
    }
    return -1;
}

int FindEntryNamed(const QStringList& entries, const QString& name) {
    if (name.isEmpty()) {
        return -1;
    }
    const auto exact = entries.indexOf(name);
    if (exact >= 0) {
        return static_cast<int>(exact);
    }
    return FindStringPrefix(entries, name, 0);
}

}  // namespace horalux

#pragma once

#include <QString>
#include <QStringList>

namespace horalux {

// The rules of the program's sorted lists (the server drop-down list, the server list manager's
// list box), in one place so that both behave alike.
//
// Order: alphabetical regardless of case (ordinal on the case-folded texts), so "NTP.b" sorts
// between "ntp.a" and "ntp.c". Entries that compare equal keep the order they were added in.

// Where `text` goes in `entries` (kept in that order): after every entry that sorts before it or
// equal to it.
int SortedInsertIndex(const QStringList& entries, const QString& text);

// The list controls' prefix search: the first entry that begins with `prefix`, ignoring case,
// looking from the entry after `startAfter` to the end and then from the first entry round to
// `startAfter` itself, so that every entry is tried. `startAfter` -1 (or any index outside the
// list) searches from the first entry. -1 when none matches. An empty prefix matches every entry.
int FindStringPrefix(const QStringList& entries, const QString& prefix, int startAfter);

// The entry that names a server `name`: the one equal to it (exactly, the first in list order);
// when there is none, the prefix search after the first entry. -1 when nothing matches or the
// name is empty.
int FindEntryNamed(const QStringList& entries, const QString& name);

}  // namespace horalux

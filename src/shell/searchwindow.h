#pragma once
// The find dialog's state that other commands share.
#include <QString>

// The text of the last Find; empty at start. Find Next searches for it.
QString &LastSearch();

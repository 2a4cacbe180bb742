#pragma once

#include "core/store/storedriver.h"

// SQLite, through Qt's QSQLITE driver and the library's own API where Qt SQL has no word for it.
const StoreDriver& sqliteDriver();

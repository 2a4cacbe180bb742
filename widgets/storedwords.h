#pragma once

#include <QString>
#include <initializer_list>

// Words the database keeps in English (a sex, a kind of paid time off) that the windows show in their
// language. Only a list's own words are translated, both ways; anything else typed is kept as it stands.
namespace StoredWords {

using Words = std::initializer_list<const char*>;

// The word as the window shows it (translated in `context`, where the list marks its words for translation).
QString shown(const char* context, Words words, const QString& stored);
// The word as the database keeps it.
QString stored(const char* context, Words words, const QString& shown);

} // namespace StoredWords

#pragma once

#include <QLocale>
#include <QStringList>

// The catalogues of the user's language: this program's own, compiled in, and Qt's for its
// standard buttons and file dialogs, from the system's Qt translations when they are installed.
// English is the source language: nothing is loaded for it, and a list that names English before
// any language with a catalogue keeps every text as written.
namespace Translations {

// Replaces what an earlier call installed; returns the language whose catalogue is in use, or
// nothing. Needs the application object.
QString use(const QStringList &uiLanguages);

// The language the texts are shown in (English when no catalogue is in use) in the user's
// region: dates and numbers inside a sentence then read as the sentence does.
QLocale locale();

} // namespace Translations

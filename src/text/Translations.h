#pragma once

#include <QStringList>

// The catalogues of the user's language: this program's own, compiled in, and Qt's for its
// standard buttons and file dialogs, from the system's Qt translations when they are installed.
// English is the source language: nothing is loaded for it, and a list that names English before
// any language with a catalogue keeps every text as written.
namespace Translations {

// Replaces what an earlier call installed; returns the language whose catalogue is in use, or
// nothing. Needs the application object.
QString use(const QStringList &uiLanguages);

} // namespace Translations

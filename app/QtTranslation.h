#pragma once
// Qt's own texts (the buttons of message boxes and file dialogs, network and file errors) in
// Russian.

namespace app {

// Installs Qt's Russian translation into the application, once: the system's (Debian:
// qt6-translations-l10n), made for its Qt, or else the copy the program carries. False when
// neither loads, and Qt's texts then stay English.
bool installQtTranslation();

}  // namespace app

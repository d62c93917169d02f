#pragma once
// Qt's own texts (dialog buttons, the printer setup and print preview dialogs) in Japanese.
class QCoreApplication;

namespace pelkano {

// Loads Qt's Japanese catalogue from Qt's translations folder into the application. False when
// it is not installed; Qt's texts then stay English.
bool installQtTranslations(QCoreApplication& app);

}  // namespace pelkano

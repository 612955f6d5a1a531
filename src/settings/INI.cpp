// Placeholder until the settings file is built: reads nothing, writes nothing.
#include "settings/INI.h"

namespace zorbel {

INI& INI::instance()
{
    static INI ini;
    return ini;
}

void INI::SetIniFileName(const QString&) {}
QString INI::GetIni(const QString&, const QString&) const { return {}; }
void INI::PutIni(const QString&, const QString&, const QString&) {}
bool INI::PutIniAll(const QList<Entry>&) { return true; }
QString INI::FilePath() const { return {}; }

} // namespace zorbel

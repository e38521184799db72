#include "config/setting_keys.h"

#include "config/ini_file.h"
#include "support/text.h"

namespace velmar {

std::wstring readSetting(const IniFile& ini, const SettingKey& key)
{
    if (key.layering == Layering::plainOnly) {
        return ini.IniFile::getString(key.section, key.name);
    }
    return ini.getString(key.section, key.name);
}

bool valueIs(const SettingKey& key, std::wstring_view value, std::wstring_view word)
{
    if (key.letterCase == LetterCase::anyCase) {
        return equalsIgnoringCase(value, word);
    }
    return value == word;
}

bool settingIs(const IniFile& ini, const SettingKey& key, std::wstring_view word)
{
    return valueIs(key, readSetting(ini, key), word);
}

}  // namespace velmar

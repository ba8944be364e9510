#pragma once

#include <QString>

// The per-user store of the last run's options, folder, pattern, settings
// folder and window position. Texts come back exactly as saved, an empty
// text included; the default is returned only when nothing is stored.
// Backed by QSettings(application, section) in its native format.
class PreferenceStore
{
public:
    [[nodiscard]] QString GetValue(const QString &application, const QString &section,
                                   const QString &key, const QString &defaultText) const;
    [[nodiscard]] bool HasValue(const QString &application, const QString &section,
                                const QString &key) const;
    void SaveValue(const QString &application, const QString &section, const QString &key,
                   const QString &text);
};

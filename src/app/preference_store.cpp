#include "app/preference_store.h"

#include <QSettings>

QString PreferenceStore::GetValue(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultText) const
{
    const QSettings settings(application, section);
    if (!settings.contains(key))
        return defaultText;
    return settings.value(key).toString();
}

bool PreferenceStore::HasValue(const QString &application, const QString &section,
                               const QString &key) const
{
    return QSettings(application, section).contains(key);
}

void PreferenceStore::SaveValue(const QString &application, const QString &section,
                                const QString &key, const QString &text)
{
    QSettings settings(application, section);
    settings.setValue(key, text);
}

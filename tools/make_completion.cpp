// quorvel-make-completion: writes the bash completion of quorvel-list from
// its template, with the keys that --set takes filled in from the program's
// own option table, so the completion offers exactly those keys.
//
//   quorvel-make-completion <template> <output>
//
// In the template, @SETTINGS_KEYS@ becomes every key and @YES_NO_KEYS@ the
// keys whose value is "True" or "False", each list separated by blanks.

#include "app/option_table.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: quorvel-make-completion <template> <output>\n");
        return 2;
    }
    QFile in(arguments.at(1));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quorvel-make-completion: cannot read %s\n",
                     qPrintable(arguments.at(1)));
        return 1;
    }
    QByteArray script = in.readAll();

    QByteArrayList keys;
    QByteArrayList yesNoKeys;
    for (const OptionRow &row : SettingsFileOptions()) {
        const QByteArray name(row.key.data(), row.key.size());
        keys.append(name);
        if (row.kind == OptionKind::YesNo)
            yesNoKeys.append(name);
    }
    script.replace("@SETTINGS_KEYS@", keys.join(' '));
    script.replace("@YES_NO_KEYS@", yesNoKeys.join(' '));

    QSaveFile out(arguments.at(2));
    if (!out.open(QIODevice::WriteOnly) || out.write(script) != script.size() || !out.commit()) {
        std::fprintf(stderr, "quorvel-make-completion: cannot write %s\n",
                     qPrintable(arguments.at(2)));
        return 1;
    }
    return 0;
}

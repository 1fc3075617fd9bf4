#include "language.h"

#include <QCoreApplication>
#include <QLocale>

namespace morvik {

// The translations are built into the program, as :/i18n/morvik_LANGUAGE.qm.
Language::Language()
{
    // A language without a translation leaves the translator empty: English.
    (void)translator_.load(QLocale(), QStringLiteral("morvik"), QStringLiteral("_"), QStringLiteral(":/i18n"));
}

QString Language::text(const char *context, const char *source) const
{
    const QString translated = translator_.translate(context, source);
    return translated.isEmpty() ? QString::fromUtf8(source) : translated;
}

void Language::install() { QCoreApplication::installTranslator(&translator_); }

}  // namespace morvik

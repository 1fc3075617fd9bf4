#pragma once

#include <QString>
#include <QTranslator>

namespace morvik {

// The language of everything the program says of its own: the first of the player's languages, as
// the locale gives them (LANGUAGE, LC_ALL, LC_MESSAGES, LANG), that the program has a translation
// for, or else English, in which the texts are written. Made before the application object, so that
// --help and the complaints about the command line are said in it too.
class Language {
public:
    Language();

    // The translation of a text marked with QT_TRANSLATE_NOOP(context, text), before and after the
    // application object exists.
    QString text(const char *context, const char *source) const;
    // From now on tr() and QCoreApplication::translate() speak this language.
    void install();

private:
    QTranslator translator_;
};

}  // namespace morvik

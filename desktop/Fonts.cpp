#include "Fonts.h"

#include <QStringList>

namespace ui {

void InstallFontSubstitutes()
{
    // Arial-metric faces come closest to the width the fixed layouts expect.
    QFont::insertSubstitutions(QString::fromLatin1(DialogFontFamily),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QString::fromLatin1(TitleFontFamily),
                               {QStringLiteral("Comic Neue"), QStringLiteral("Comic Relief"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

QFont PixelFont(const char *family, int pixelHeight, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

} // namespace ui

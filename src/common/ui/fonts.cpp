#include "common/ui/fonts.h"

#include <QStringList>

namespace pelorin::ui {

QFont formFont(qreal pointSize) {
    QFont font;
#ifdef Q_OS_WIN
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
#else
    // The Japanese Windows face is not found here; asking for a family that is missing makes Qt
    // read the other-language names of every installed font, which costs each start about two
    // milliseconds, so the nearest face is named directly.
    font.setFamilies({QStringLiteral("Noto Sans CJK JP")});
#endif
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace pelorin::ui

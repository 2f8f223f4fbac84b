#include "common/ui/fonts.h"

#include <QStringList>

namespace pelorin::ui {

QFont formFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(9);
    return font;
}

} // namespace pelorin::ui

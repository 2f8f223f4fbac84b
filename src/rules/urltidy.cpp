#include "rules/urltidy.h"

namespace pelorin {

QString tidyServerUrl(const QString& url) {
    if (url.size() < 8 || url.right(3).toLower() == QLatin1String("/tv"))
        return url;
    return url.endsWith(u'/') ? url + QLatin1String("tv") : url + QLatin1String("/tv");
}

} // namespace pelorin

// The status classification is total and follows its fixed order: the application's page title,
// then the password page, then an empty body, then the missing-page error, otherwise a server
// that is up but set up wrongly. The reference searches the UTF-8 bytes; the markers are ASCII,
// so a byte match is a character match.
#include "fuzzcheck.h"
#include "rules/status.h"

#include <string_view>

using namespace pelorin;

namespace {

StatusWord expectedWord(std::string_view body) {
    const auto has = [&](std::string_view marker) {
        return body.find(marker) != std::string_view::npos;
    };
    if (has("<title>Orrisvale</title>"))
        return StatusWord::On;
    if (has("HTTP 401.2"))
        return StatusWord::PasswordRequired;
    if (body.empty())
        return StatusWord::Off;
    if (has("HTTP 404"))
        return StatusWord::WrongURL;
    return StatusWord::BadConfigulation;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString body = fuzz::text(data, size);
    const QByteArray utf8 = body.toUtf8();
    const StatusWord word = classifyResponse(body);
    FUZZ_CHECK(word == expectedWord(std::string_view(utf8.constData(), utf8.size())), body);
    FUZZ_CHECK(!statusWordText(word).isEmpty() && !statusPanelText(word).isEmpty(), body);
    return 0;
}

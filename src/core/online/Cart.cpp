#include "online/Cart.h"

#include <algorithm>

#include "services/Platform.h"
#include "common/ProgramTexts.h"
#include "common/Text.h"
#include "download/Download.h"
#include "download/Http.h"
#include "common/TextCodec.h"
#include "common/TextFile.h"
#include "tips/TipSet.h"

namespace rz {
namespace {

std::string notOpened(const std::string& what) {
    const std::string shown = what.size() > 80 ? what.substr(0, 80) + "…" : what;
    return txt(Txt::NoProgramToOpen, {shown});
}

} // namespace

std::string dataServerBase(const std::string& serverAddress) {
    if (isCsvSource(serverAddress))
        return {};
    std::string base = normaliseServerAddress(serverAddress);
    if (!splitUrl(base) || base.find_first_of("?#") != std::string::npos)
        return {};
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base;
}

std::string CartRowText(const TipSet& tips, int r) {
    std::string s;
    for (int k = 1; k <= TipSet::kFields; ++k) {
        if (k > 1)
            s += ',';
        s += tips.get(r, k);
    }
    return s;
}

std::array<std::string, 12> cartRowTexts(const TipSet& tips) {
    std::array<std::string, 12> rows;
    for (int r = 1; r <= TipSet::kRows; ++r)
        rows[static_cast<std::size_t>(r - 1)] = CartRowText(tips, r);
    return rows;
}

std::string cartUrl(const std::string& base, const std::array<std::string, 6>& rows) {
    std::string query = kCartTemplate;
    int count = 0;
    for (int k = 1; k <= 6; ++k) {
        const std::string& row = rows[static_cast<std::size_t>(k - 1)];
        replaceAll(query, "[KASTEN" + std::to_string(k) + "]", row);
        if (row != kEmptyCartRow)
            count = k;
    }
    return base + query + "&Tipps=" + std::to_string(count);
}

std::vector<std::string> cartUrls(const std::string& base, const std::array<std::string, 12>& rows) {
    std::array<std::string, 6> first, second;
    for (std::size_t i = 0; i < 6; ++i) {
        first[i] = rows[i];
        second[i] = rows[i + 6];
    }
    std::vector<std::string> urls{cartUrl(base, first)};
    if (rows[6] != kEmptyCartRow)
        urls.push_back(cartUrl(base, second));
    return urls;
}

std::optional<std::string> refusedCartUrl(const std::string& url) {
    const std::string shown = url.size() > 80 ? url.substr(0, 80) + "…" : url;
    const std::string scheme = lowerAscii(url.substr(0, 8));
    if (scheme.rfind("http://", 0) != 0 && scheme.rfind("https://", 0) != 0)
        return txt(Txt::CartNotHttp, {shown});
    for (const char c : url)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return txt(Txt::CartControlChars, {shown});
    const auto parts = splitUrl(url);
    if (!parts || parts->host.empty())
        return txt(Txt::CartNoHost, {shown});
    if (url.size() > kMaxCartUrlLength)
        return txt(Txt::CartTooLong, {std::to_string(url.size()), std::to_string(kMaxCartUrlLength)});
    return std::nullopt;
}

std::string cartRequestUrl(const std::string& serverAddress, int tipCount) {
    const std::string base = dataServerBase(serverAddress);
    return base.empty() ? base : base + kCartRequestPath + std::to_string(tipCount);
}

std::string fallbackCartBase(const std::string& serverAddress) {
    const std::string base = dataServerBase(serverAddress);
    return base.empty() ? base : base + kFallbackCartPath;
}

bool pauseWithEvents(IEvents& events, int ms, const std::function<bool()>& stopRequested, ITicks& ticks) {
    const std::int64_t until = ticks.nowMs() + ms;
    for (;;) {
        events.processPendingEvents();
        if (stopRequested && stopRequested())
            return false;
        const std::int64_t now = ticks.nowMs();
        if (now >= until)
            return true;
        ticks.sleepMs(static_cast<int>(std::min<std::int64_t>(until - now, 10)));
    }
}

CartResult runCart(const CartInput& in, const CartServices& svc) {
    CartResult result;
    const auto stop = [&svc] { return svc.stopRequested && svc.stopRequested(); };

    HttpRequest req;
    req.url = cartRequestUrl(in.serverAddress, in.tipCount);
    if (req.url.empty()) {
        result.end = CartEnd::BadAddress;
        result.message = isCsvSource(in.serverAddress)
                             ? txt(Txt::CsvIsNoServer, {in.serverAddress})
                             : txt(Txt::ServerNotHttp, {in.serverAddress});
        return result;
    }
    if (!applyRequestSettings(req, in.proxyHost, in.proxyPort, result.message)) {
        result.end = CartEnd::BadProxyPort;
        return result;
    }

    const HttpResponse res = fetch(svc.http, *svc.events, req, stop);
    if (IHttp* http = svc.http)
        http->closeConnections();
    if (!res.answered()) {
        if (res.failure == HttpFailure::Aborted) {
            result.end = CartEnd::Stopped;
            return result;
        }
        result.end = CartEnd::TransportFailed;
        // The client's own words only where the kind of failure says nothing.
        const std::string why = res.failure == HttpFailure::Other && !res.failureText.empty()
                                    ? res.failureText
                                    : failureCaption(res);
        result.message = txt(Txt::NoConnectionBecause, {normaliseServerAddress(in.serverAddress), why});
        return result;
    }
    result.status = res.status;

    if (res.status >= 400) {
        if (res.body.find(kNoticeMarker) != std::string::npos) {
            result.end = CartEnd::Notice;
            result.notice = res.body;
            if (!in.noticePath.empty()) {
                writeTextFile(in.noticePath, joinLinesCrLf(splitLines(decodeText(res.body).text)));
                if (!svc.shell->open(in.noticePath)) {
                    result.end = CartEnd::NotOpened;
                    result.message = notOpened(in.noticePath);
                }
            }
            return result;
        }
        result.base = fallbackCartBase(in.serverAddress);
    } else {
        result.base = res.body;
    }

    result.urls = cartUrls(result.base, in.rows);
    for (const std::string& url : result.urls) {
        if (auto why = refusedCartUrl(url)) {
            result.end = CartEnd::Refused;
            result.message = *why;
            return result;
        }
    }

    for (std::size_t i = 0; i < result.urls.size(); ++i) {
        if (i > 0 && !pauseWithEvents(*svc.events, in.pauseMs, stop, svc.ticks ? *svc.ticks : SteadyTicks::instance())) {
            result.end = CartEnd::Stopped;
            return result;
        }
        if (!svc.shell->open(result.urls[i])) {
            result.end = CartEnd::NotOpened;
            result.message = notOpened(result.urls[i]);
            return result;
        }
        result.opened.push_back(result.urls[i]);
        if (svc.afterOpen)
            svc.afterOpen();
    }
    result.end = CartEnd::Opened;
    return result;
}

} // namespace rz

#pragma once
// The portal's shopping cart: the tip rows appended to a cart base that the
// data server supplies, opened in the user's browser.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/Platform.h"

namespace rz {

class IHttp;
class IShell;
class TipSet;
struct HttpRequest;

// The request for the cart base, followed by the number of rows to compute.
inline constexpr const char* kCartRequestPath = "/lotto/lotto.asp?Spiel=Zentuva&Wo=Lottoland&Tipps=";
// The cart base used when the server answers with an error and no notice.
inline constexpr const char* kFallbackCartPath = "/lotto/warenkorb2.asp?";
// Appended to the cart base; the placeholders take the row texts.
inline constexpr const char* kCartTemplate =
    "kasten1=[KASTEN1]&kasten2=[KASTEN2]&kasten3=[KASTEN3]&kasten4=[KASTEN4]&kasten5=[KASTEN5]&kasten6=[KASTEN6]";
// The longest cart address a browser is handed.
inline constexpr std::size_t kMaxCartUrlLength = 2048;
inline constexpr const char* kNoticeMarker = "Mitteilung";
// Status panel 1 after each cart that is opened.
// The pause between the first and the second cart.
inline constexpr int kSecondCartPauseMs = 2000;

// The text of an empty row: seven empty fields.
inline constexpr const char* kEmptyCartRow = ",,,,,,";

// The seven field texts of row r joined by ",", as a tip-file line without
// its line end.
std::string CartRowText(const TipSet& tips, int r);
// CartRowText of rows 1..12 (index 0..11).
std::array<std::string, 12> cartRowTexts(const TipSet& tips);

// The cart address for six row texts: the base, the template with the rows
// in place, "&Tipps=" and the highest k whose row is not empty (0 when all
// are).
std::string cartUrl(const std::string& base, const std::array<std::string, 6>& rows);
// The carts to open for twelve row texts: rows 1..6 always, rows 7..12 only
// when row 7 is not empty.
std::vector<std::string> cartUrls(const std::string& base, const std::array<std::string, 12>& rows);

// Why an address must not be handed to the browser, or nullopt when it may:
// only http:// and https:// addresses with a host, without control
// characters, at most kMaxCartUrlLength characters long.
std::optional<std::string> refusedCartUrl(const std::string& url);

// The data server's address as the base of a request path (no trailing
// slash). Empty when it cannot carry one: not http(s), a query or fragment,
// or the address of a CSV export.
std::string dataServerBase(const std::string& serverAddress);

// The request for the cart base and the fallback base on the data server.
// Empty when the address is not a usable data server (not http(s), a query,
// or the address of a CSV export, which has no cart).
std::string cartRequestUrl(const std::string& serverAddress, int tipCount);
std::string fallbackCartBase(const std::string& serverAddress);

// Waits about `ms` milliseconds while the window handles its events. Returns
// false as soon as stopRequested() says so.
bool pauseWithEvents(IEvents& events, int ms, const std::function<bool()>& stopRequested,
                     ITicks& ticks = SteadyTicks::instance());

// ---------------------------------------------------------------- the command

enum class CartEnd {
    None,
    Opened,          // every cart was handed to the shell
    Notice,          // the server sent a notice instead of a cart base
    Refused,         // a cart address was not fit for the browser; nothing opened
    NotOpened,       // nothing on the system could open the address or the notice
    TransportFailed, // no answer from the server
    Stopped,         // the window closed meanwhile
    BadProxyPort,
    BadAddress,      // the data server's address cannot carry a cart request
};

struct CartInput {
    std::string serverAddress;
    std::string proxyHost;
    std::string proxyPort = "80";
    int tipCount = 5;                  // TipCount, sent with the request
    std::array<std::string, 12> rows;  // CartRowText of rows 1..12
    // Where the notice is saved and opened; empty: neither (the command line).
    std::string noticePath;
    int pauseMs = kSecondCartPauseMs;
};

struct CartResult {
    CartEnd end = CartEnd::None;
    int status = 0;                    // status of the server's answer
    std::string base;                  // the cart base used
    std::vector<std::string> urls;     // the carts built, in order
    std::vector<std::string> opened;   // the carts handed to the shell
    std::string notice;                // the notice's body
    std::string message;               // what the user is told, if anything
};

struct CartServices {
    IHttp* http = nullptr;
    IEvents* events = nullptr;
    IShell* shell = nullptr;
    std::function<bool()> stopRequested;   // may be empty
    std::function<void()> afterOpen;       // after each cart (status text); may be empty
    ITicks* ticks = nullptr;               // the pause's clock; null: the steady clock
};

// Asks the server for the cart base and opens the carts. The notice is saved
// as text of the system's 8-bit form with CR LF line ends. Throws IoError when
// the notice cannot be saved.
CartResult runCart(const CartInput& input, const CartServices& services);


} // namespace rz

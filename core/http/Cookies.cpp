#include "core/http/Cookies.h"

#include <algorithm>
#include <mutex>

#include "core/http/InternetDate.h"
#include "core/text/text.h"

namespace {

std::string Unquote(std::string_view s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return std::string(s);
}

// Reads a signed decimal number; nothing for text that is not one (or does not fit).
bool ReadInt64(std::string_view s, int64_t& out) {
  size_t i = 0;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  if (i == s.size() || s.size() - i > 18) return false;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  out = neg ? -v : v;
  return true;
}

}  // namespace

// ---- TNetNetscapeCookie ----------------------------------------------------------------

void TNetNetscapeCookie::SetCookieText(std::string_view header_value, int64_t now) {
  if (!CookieText.empty() && header_value == CookieText) return;
  CookieText = std::string(header_value);

  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t semi = header_value.find(';', start);
    parts.push_back(vpn::Trim(header_value.substr(
        start, semi == std::string_view::npos ? std::string_view::npos : semi - start)));
    if (semi == std::string_view::npos) break;
    start = semi + 1;
  }
  const std::string& first = parts[0];
  const size_t eq = first.find('=');
  CookieName = first.substr(0, eq);
  Value = eq == std::string::npos ? std::string() : first.substr(eq + 1);

  Attributes attrs;
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    const size_t e = p.find('=');
    if (e == std::string::npos)
      attrs.emplace_back(vpn::AsciiUpper(p), std::string());
    else
      attrs.emplace_back(vpn::AsciiUpper(p.substr(0, e)), p.substr(e + 1));
  }
  LoadProperties(attrs, now);
}

const std::string* TNetNetscapeCookie::Find(const Attributes& attrs, std::string_view name) {
  for (const auto& a : attrs)
    if (a.first == name) return &a.second;
  return nullptr;
}

void TNetNetscapeCookie::LoadProperties(const Attributes& attrs, int64_t) {
  const std::string* v = Find(attrs, "PATH");
  Path = v ? Unquote(*v) : std::string();
  v = Find(attrs, "EXPIRES");
  Expires = v ? *v : std::string();
  v = Find(attrs, "DOMAIN");
  Domain = v ? *v : std::string();
  Secure = Find(attrs, "SECURE") != nullptr;
}

void TNetNetscapeCookie::Assign(const TNetNetscapeCookie& o) {
  CookieName = o.CookieName;
  Value = o.Value;
  Path = o.Path;
  Expires = o.Expires;
  Domain = o.Domain;
  Secure = o.Secure;
  CookieText = o.CookieText;
}

bool TNetNetscapeCookie::IsExpired(int64_t now) const {
  if (Expires.empty()) return false;
  const auto when = vpn::ParseInternetDate(Expires);
  return when && *when <= now;
}

// ---- TNetCookieRFC2109 / TNetCookieRFC2965 ---------------------------------------------

void TNetCookieRFC2109::LoadProperties(const Attributes& attrs, int64_t now) {
  TNetNetscapeCookie::LoadProperties(attrs, now);
  const std::string* v = Find(attrs, "MAX-AGE");
  int64_t age;
  MaxAge = v && ReadInt64(*v, age) ? age : -1;
  v = Find(attrs, "VERSION");
  Version = v ? *v : std::string();
  v = Find(attrs, "COMMENT");
  Comment = v ? *v : std::string();
  // A MAX-AGE becomes an expiry date, so that the purge treats both alike.
  if (Expires.empty() && MaxAge >= 0) {
    const int64_t limit = int64_t{1} << 40;  // far beyond any date anyone writes
    Expires = vpn::FormatInternetDate(now + std::min(MaxAge, limit));
  }
}

void TNetCookieRFC2109::Assign(const TNetNetscapeCookie& other) {
  TNetNetscapeCookie::Assign(other);
  if (auto* o = dynamic_cast<const TNetCookieRFC2109*>(&other)) {
    MaxAge = o->MaxAge;
    Version = o->Version;
    Comment = o->Comment;
  }
}

void TNetCookieRFC2965::LoadProperties(const Attributes& attrs, int64_t now) {
  TNetCookieRFC2109::LoadProperties(attrs, now);
  const std::string* v = Find(attrs, "COMMENTURL");
  CommentURL = v ? *v : std::string();
  Discard = Find(attrs, "DISCARD") != nullptr;
  PortList.clear();
  v = Find(attrs, "PORT");
  if (v && !v->empty()) {
    const std::string list = Unquote(*v);
    size_t start = 0;
    for (;;) {
      size_t comma = list.find(',', start);
      int64_t port;
      if (ReadInt64(vpn::Trim(std::string_view(list).substr(
                        start, comma == std::string::npos ? std::string::npos : comma - start)),
                    port) &&
          port > 0 && port < 65536)
        PortList.push_back(static_cast<int>(port));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  if (PortList.empty()) PortList.push_back(80);
}

void TNetCookieRFC2965::Assign(const TNetNetscapeCookie& other) {
  TNetCookieRFC2109::Assign(other);
  if (auto* o = dynamic_cast<const TNetCookieRFC2965*>(&other)) {
    CommentURL = o->CommentURL;
    Discard = o->Discard;
    PortList = o->PortList;
  }
}

// ---- TNetCookieList / TNetCookies ------------------------------------------------------

TNetNetscapeCookie* TNetCookieList::Find(std::string_view name) const {
  for (const auto& c : FCookies)
    if (vpn::SameTextAscii(c->CookieName, name)) return c.get();
  return nullptr;
}

void TNetCookieList::AddOrReplace(std::unique_ptr<TNetNetscapeCookie> cookie) {
  for (auto& c : FCookies) {
    if (vpn::SameTextAscii(c->CookieName, cookie->CookieName)) {
      // The stored object keeps its kind; a Set-cookie2 cookie replacing a Set-cookie
      // one (or the other way round) replaces the object itself.
      const TNetNetscapeCookie& old_one = *c;
      const TNetNetscapeCookie& new_one = *cookie;
      if (typeid(old_one) == typeid(new_one))
        c->Assign(*cookie);
      else
        c = std::move(cookie);
      return;
    }
  }
  FCookies.push_back(std::move(cookie));
}

size_t TNetCookieList::Purge(int64_t now) {
  const size_t before = FCookies.size();
  std::erase_if(FCookies, [now](const auto& c) { return c->IsExpired(now); });
  return before - FCookies.size();
}

void TNetCookies::LockCookieList(TNetCookieAccess access) {
  if (access == caRead)
    FLock.lock_shared();
  else
    FLock.lock();
}

void TNetCookies::UnlockCookieList(TNetCookieAccess access) {
  if (access == caRead)
    FLock.unlock_shared();
  else
    FLock.unlock();
}

TNetCookieList& TNetCookies::ListForDomain(std::string_view domain) {
  for (auto& d : FDomains)
    if (vpn::SameTextAscii(d.first, domain)) return *d.second;
  FDomains.emplace_back(std::string(domain), std::make_unique<TNetCookieList>());
  return *FDomains.back().second;
}

size_t TNetCookies::Purge(int64_t now) {
  size_t n = 0;
  for (auto& d : FDomains) n += d.second->Purge(now);
  return n;
}

size_t TNetCookies::CookieCount() const {
  size_t n = 0;
  for (const auto& d : FDomains) n += d.second->Count();
  return n;
}

// ---- domain rules ----------------------------------------------------------------------

namespace vpn {

bool IsDottedQuad(std::string_view host) {
  int parts = 0;
  size_t start = 0;
  for (;;) {
    size_t dot = parts < 3 ? host.find('.', start) : std::string_view::npos;
    if (parts < 3 && dot == std::string_view::npos) return false;
    std::string_view p =
        host.substr(start, dot == std::string_view::npos ? host.npos : dot - start);
    if (p.empty() || p.size() > 3) return false;
    int v = 0;
    for (char c : p) {
      if (c < '0' || c > '9') return false;
      v = v * 10 + (c - '0');
    }
    if (v > 255) return false;
    if (++parts == 4) return true;
    start = dot + 1;
  }
}

bool CookieDomainFits(std::string_view domain, std::string_view host) {
  if (IsDottedQuad(host)) return domain == host;
  if (domain == host) return true;
  if (domain.empty() || domain[0] != '.') return false;
  const size_t dot = host.find('.');
  return dot != std::string_view::npos && host.substr(dot) == domain;
}

bool CookieDomainMatchesHost(std::string_view domain, std::string_view host) {
  if (domain.empty() || host.size() < domain.size()) return false;
  if (SameTextAscii(domain, host)) return true;
  if (IsDottedQuad(host)) return false;
  // The host ends with the domain at a label boundary: ".example.com" or "example.com"
  // for "www.example.com", never for "badexample.com".
  if (!SameTextAscii(host.substr(host.size() - domain.size()), domain)) return false;
  return domain[0] == '.' || host[host.size() - domain.size() - 1] == '.';
}

}  // namespace vpn

// ---- TNetCookieManager -----------------------------------------------------------------

TNetCookieManager::TNetCookieManager() = default;

TNetCookieManager::~TNetCookieManager() {
  if (!FCookies) return;
  FCookies->LockCookieList(caReadWrite);
  FCookies->Purge(Now());
  FCookies->UnlockCookieList(caReadWrite);
  if (OnDestroy) OnDestroy(this, FCookies.get());
}

TNetCookies& TNetCookieManager::CookieCollection() {
  if (!FCookies) {
    FCookies = std::make_unique<TNetCookies>();
    if (OnCreate) OnCreate(this, FCookies.get());
  }
  return *FCookies;
}

int64_t TNetCookieManager::Now() const {
  return Clock ? Clock() : vpn::UnixNow();
}

bool TNetCookieManager::AddCookie(std::string_view value, std::string_view host) {
  return Add(std::make_unique<TNetCookieRFC2109>(), value, host);
}

bool TNetCookieManager::AddCookie2(std::string_view value, std::string_view host) {
  return Add(std::make_unique<TNetCookieRFC2965>(), value, host);
}

bool TNetCookieManager::Add(std::unique_ptr<TNetNetscapeCookie> cookie, std::string_view value,
                            std::string_view host) {
  cookie->SetCookieText(value, Now());
  if (cookie->Domain.empty()) cookie->Domain = std::string(host);
  if (!vpn::CookieDomainFits(cookie->Domain, host)) return false;
  bool accept = true;
  if (OnNewCookie) OnNewCookie(this, cookie.get(), accept);
  if (!accept) return false;
  TNetCookies& store = CookieCollection();
  store.LockCookieList(caReadWrite);
  const std::string domain = cookie->Domain;
  store.ListForDomain(domain).AddOrReplace(std::move(cookie));
  store.UnlockCookieList(caReadWrite);
  return true;
}

std::string TNetCookieManager::GenerateCookieList(std::string_view host, std::string_view path,
                                                  bool secure) {
  TNetCookies& store = CookieCollection();
  store.LockCookieList(caReadWrite);
  store.Purge(Now());
  store.UnlockCookieList(caReadWrite);

  std::vector<const TNetNetscapeCookie*> taken;
  store.LockCookieList(caRead);
  for (size_t d = 0; d < store.DomainCount(); ++d) {
    if (!vpn::CookieDomainMatchesHost(store.DomainKey(d), host)) continue;
    const TNetCookieList& list = store.DomainList(d);
    for (size_t i = 0; i < list.Count(); ++i) {
      const TNetNetscapeCookie* c = list.Cookies(i);
      if (!c->Path.empty() && path.substr(0, c->Path.size()) == c->Path && !c->Value.empty() &&
          (!c->Secure || secure))
        taken.push_back(c);
    }
  }
  // Paths in descending order, so the most specific go first; cookies of one path keep
  // the order in which they were set.
  std::stable_sort(taken.begin(), taken.end(), [](const auto* a, const auto* b) {
    return vpn::AsciiUpper(b->Path) < vpn::AsciiUpper(a->Path);
  });
  std::string header;
  for (const TNetNetscapeCookie* c : taken) {
    if (!header.empty()) header += "; ";
    header += c->CookieName + "=" + c->Value;
  }
  store.UnlockCookieList(caRead);
  return header;
}

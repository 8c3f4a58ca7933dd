// The cookie store of the HTTP client: cookies that servers set are kept per domain and
// sent back with later requests to a matching host and path. Memory only, never saved.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One cookie of a Set-cookie header in its oldest form: name, value, path, expiry,
// domain and the secure flag.
class TNetNetscapeCookie {
 public:
  virtual ~TNetNetscapeCookie() = default;

  // Parses a header value ("name=value; Path=/; ..."). An identical value given again is
  // not parsed a second time. `now` is the moment a MAX-AGE counts from.
  void SetCookieText(std::string_view header_value, int64_t now);

  // Takes over every field of another cookie (a newer cookie of the same name).
  virtual void Assign(const TNetNetscapeCookie& other);

  // Expired when an expiry is given and that moment is not after `now`. An expiry that
  // cannot be read as a date never expires the cookie.
  bool IsExpired(int64_t now) const;

  std::string CookieName;
  std::string Value;
  std::string Path;
  std::string Expires;  // as sent, or written for MAX-AGE
  std::string Domain;
  bool Secure = false;
  std::string CookieText;

 protected:
  using Attributes = std::vector<std::pair<std::string, std::string>>;  // NAME (upper), value
  virtual void LoadProperties(const Attributes& attrs, int64_t now);
  static const std::string* Find(const Attributes& attrs, std::string_view upper_name);
};

// A cookie of a Set-cookie header with the attributes of the first cookie standard:
// MAX-AGE, VERSION and COMMENT.
class TNetCookieRFC2109 : public TNetNetscapeCookie {
 public:
  void Assign(const TNetNetscapeCookie& other) override;

  int64_t MaxAge = -1;  // -1: none given or not a number
  std::string Version;
  std::string Comment;

 protected:
  void LoadProperties(const Attributes& attrs, int64_t now) override;
};

// A cookie of a Set-cookie2 header: adds CommentURL, DISCARD and the port list.
class TNetCookieRFC2965 : public TNetCookieRFC2109 {
 public:
  void Assign(const TNetNetscapeCookie& other) override;

  std::string CommentURL;
  bool Discard = false;
  std::vector<int> PortList{80};

 protected:
  void LoadProperties(const Attributes& attrs, int64_t now) override;
};

// The cookies of one domain, keyed by cookie name (letter case ignored), in the order
// they were first set.
class TNetCookieList {
 public:
  TNetNetscapeCookie* Find(std::string_view name) const;
  // Adds the cookie, or lets an existing cookie of the same name take over its contents.
  void AddOrReplace(std::unique_ptr<TNetNetscapeCookie> cookie);
  // Removes every expired cookie; returns how many went.
  size_t Purge(int64_t now);
  size_t Count() const { return FCookies.size(); }
  TNetNetscapeCookie* Cookies(size_t i) const { return FCookies[i].get(); }

 private:
  std::vector<std::unique_ptr<TNetNetscapeCookie>> FCookies;
};

enum TNetCookieAccess { caRead, caReadWrite };

// Every domain's list, with one lock for many readers or a single writer.
class TNetCookies {
 public:
  void LockCookieList(TNetCookieAccess access);
  void UnlockCookieList(TNetCookieAccess access);

  // Callers hold the lock for the following (writing for the first two).
  TNetCookieList& ListForDomain(std::string_view domain);  // created when new
  size_t Purge(int64_t now);
  size_t DomainCount() const { return FDomains.size(); }
  const std::string& DomainKey(size_t i) const { return FDomains[i].first; }
  const TNetCookieList& DomainList(size_t i) const { return *FDomains[i].second; }
  size_t CookieCount() const;

 private:
  std::shared_mutex FLock;
  std::vector<std::pair<std::string, std::unique_ptr<TNetCookieList>>> FDomains;
};

class TNetCookieManager {
 public:
  using TOnNewCookieEvent =
      std::function<void(TNetCookieManager* ASender, TNetNetscapeCookie* ACookie, bool& VAccept)>;
  using TOnCookieManagerEvent =
      std::function<void(TNetCookieManager* ASender, TNetCookies* ACookieCollection)>;

  TNetCookieManager();
  ~TNetCookieManager();
  TNetCookieManager(const TNetCookieManager&) = delete;
  TNetCookieManager& operator=(const TNetCookieManager&) = delete;

  // Called with the collection once the store exists (set it before the first use to
  // hear of it; the store is created lazily for that reason).
  TOnCookieManagerEvent OnCreate;
  TOnCookieManagerEvent OnDestroy;
  // May refuse a cookie; a cookie is accepted when nobody answers.
  TOnNewCookieEvent OnNewCookie;
  // The clock used for MAX-AGE and expiry; the system clock unless a test sets it.
  std::function<int64_t()> Clock;

  // A Set-cookie or Set-cookie2 header value from a reply to a request to `host`.
  // Returns whether the cookie was stored.
  bool AddCookie(std::string_view header_value, std::string_view host);
  bool AddCookie2(std::string_view header_value, std::string_view host);

  // The Cookie header for a request to `host` whose path (up to and including its last
  // "/", without the document) is `path`; empty when no cookie matches. Purges first.
  std::string GenerateCookieList(std::string_view host, std::string_view path, bool secure);

  TNetCookies& CookieCollection();

 private:
  bool Add(std::unique_ptr<TNetNetscapeCookie> cookie, std::string_view header_value,
           std::string_view host);
  int64_t Now() const;

  std::unique_ptr<TNetCookies> FCookies;
};

namespace vpn {
// Four decimal parts of 0 to 255 separated by "." (the form a numeric host has).
bool IsDottedQuad(std::string_view host);
// The domain rule of a cookie set by `host`.
bool CookieDomainFits(std::string_view domain, std::string_view host);
// Whether the cookies of domain key `domain` go to a request for `host`.
bool CookieDomainMatchesHost(std::string_view domain, std::string_view host);
}  // namespace vpn

#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "downloader/protocol/settings_message.h"

typedef void CURL;
typedef void CURLSH;
struct curl_slist;

namespace harvel {

// One client's connection settings made ready for libcurl, from a settings
// message: its cookie jar (a share handle that every download of the client
// uses, so the cookies a server sets are sent back on the next requests, and
// that starts with the cookies file's cookies), the User-Agent, the extra
// headers, the proxy and the CA file. Nothing of it is written to disk.
//
// The cookies file's cookies go into the jar a host at a time, the first time
// a download goes to a host they may be sent to: libcurl compares each cookie
// it is given with every one it holds of the same site, so a large file
// loaded whole would cost the square of its size. Make() does no work on the
// jar's handles and may run on a thread of its own.
class ConnectionSetup {
 public:
  // The settings made ready, or nullptr with `answer.error` set when they
  // cannot be used (a cookies file that cannot be read or is not one, a CA
  // file that cannot be read, a header that is not "Name: value").
  static std::shared_ptr<const ConnectionSetup> Make(const SettingsOrder& order,
                                                     SettingsAnswer& answer);
  ~ConnectionSetup();
  ConnectionSetup(const ConnectionSetup&) = delete;
  ConnectionSetup& operator=(const ConnectionSetup&) = delete;

  // Gives `easy` the options that stay with a handle from transfer to
  // transfer (its cookie jar and cookie engine, User-Agent, CA file), with
  // these settings; `setup` null: with the downloader's own (no cookies, its
  // User-Agent). Called once each time a handle changes setups, never per
  // transfer: libcurl keeps a list of the cookie sources it is given and reads
  // them all again at each transfer's start. The handle must not outlive the
  // setup it was given without being given another (or null) first.
  static void Attach(const ConnectionSetup* setup, CURL* easy);

  // Sets the options of `easy` that depend on the download of `url`: the
  // extra headers and the proxy (the downloader's own environment's for a
  // null `setup`). After Attach() with the same setup.
  static void Apply(const ConnectionSetup* setup, CURL* easy, const std::string& url);

  // The transfer of `easy` is about to send a request to `url` (its first, or
  // one a redirect leads to): the cookies file's cookies for that host go
  // into the jar first. The extra headers that request sends: those that
  // carry a login go only to the start URL's host, as a browser sends a
  // login. Null for no setup.
  static const curl_slist* BeforeRequest(const ConnectionSetup* setup, CURL* easy, const char* url);

  // The extra headers of a request to any host but the start URL's, and
  // those of a request to that host (a request that adds its own sends these
  // too).
  const curl_slist* headers() const { return headers_; }
  const curl_slist* loginHeaders() const { return loginHeaders_; }

 private:
  ConnectionSetup() = default;
  void attach(CURL* easy) const;
  void apply(CURL* easy, const std::string& url) const;
  // The proxy the client's environment names for `url`'s scheme, as curl
  // picks it; empty for none.
  std::string environmentProxy(const std::string& url) const;
  // The value of the client's variable `name`; empty when it is not set.
  std::string environment(const std::string& name) const;

  SettingsOrder order_;
  CURLSH* jar_ = nullptr;
  // The cookies file's lines not yet in the jar, by their domain (in small
  // letters, without a leading dot); a domain's lines leave when they go in.
  mutable std::unordered_map<std::string, std::vector<std::string>> unloadedCookies_;
  curl_slist* headers_ = nullptr;
  curl_slist* loginHeaders_ = nullptr;
  std::string loginHost_;   // in small letters
  bool withLogin_ = false;  // some header goes only to loginHost_
};

}  // namespace harvel

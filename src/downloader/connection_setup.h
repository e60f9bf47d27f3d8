#pragma once

#include <memory>
#include <string>
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

  // The extra headers Apply() gives a handle (a request that adds its own
  // sends these too).
  const curl_slist* headers() const { return headers_; }

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
  curl_slist* headers_ = nullptr;
};

}  // namespace harvel

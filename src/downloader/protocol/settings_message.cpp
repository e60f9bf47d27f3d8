#include "downloader/protocol/settings_message.h"

#include "common/number_text.h"
#include "downloader/protocol/fields.h"

namespace harvel {
namespace {

void AddWhenSet(Fields& fields, const char* key, const std::string& value) {
  if (!value.empty())
    fields.emplace_back(key, value);
}

std::string Text(const Message& message, const char* key) {
  const auto value = FieldValue(message.fields, key);
  return value ? std::string(*value) : std::string();
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty())
      text += '\n';
    text += line;
  }
  return text;
}

std::vector<std::string> SplitLines(const Message& message, const char* key) {
  std::vector<std::string> lines;
  std::string_view rest = FieldValue(message.fields, key).value_or("");
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    if (end != 0)
      lines.emplace_back(rest.substr(0, end));
    if (end == std::string_view::npos)
      break;
    rest.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::string EncodeSettings(const SettingsOrder& order) {
  Fields fields;
  AddWhenSet(fields, "cookies", order.cookiesFile);
  AddWhenSet(fields, "user-agent", order.userAgent);
  AddWhenSet(fields, "headers", Lines(order.headers));
  AddWhenSet(fields, "login-headers", Lines(order.loginHeaders));
  AddWhenSet(fields, "start-url", order.startUrl);
  AddWhenSet(fields, "proxy", order.proxy);
  AddWhenSet(fields, "ca-certificate", order.caCertificate);
  AddWhenSet(fields, "environment", Lines(order.environment));
  if (order.manners.hostJobs > 0)
    fields.emplace_back("host-jobs", DecimalText(order.manners.hostJobs));
  if (order.manners.wait.count() > 0)
    fields.emplace_back("wait-ms", DecimalText(order.manners.wait.count()));
  if (order.manners.randomWait)
    fields.emplace_back("random-wait", "1");
  return EncodeFieldMessage(MessageKind::Settings, fields);
}

SettingsOrder ParseSettings(const Message& message) {
  SettingsOrder order;
  order.cookiesFile = Text(message, "cookies");
  order.userAgent = Text(message, "user-agent");
  order.headers = SplitLines(message, "headers");
  order.loginHeaders = SplitLines(message, "login-headers");
  order.startUrl = Text(message, "start-url");
  order.proxy = Text(message, "proxy");
  order.caCertificate = Text(message, "ca-certificate");
  order.environment = SplitLines(message, "environment");
  const auto hostJobs = NumberField(message.fields, "host-jobs");
  if (hostJobs && *hostJobs >= 1 && *hostJobs <= HostManners::kMostHostJobs)
    order.manners.hostJobs = static_cast<int>(*hostJobs);
  const auto wait = NumberField(message.fields, "wait-ms");
  if (wait && *wait >= 0 && *wait <= HostManners::kLongestWait.count())
    order.manners.wait = std::chrono::milliseconds(*wait);
  order.manners.randomWait = Text(message, "random-wait") == "1";
  return order;
}

std::string EncodeSettingsAnswer(const SettingsAnswer& answer) {
  Fields fields;
  AddWhenSet(fields, "error", answer.error);
  AddWhenSet(fields, "warning", answer.warning);
  return EncodeFieldMessage(MessageKind::Settings, fields);
}

SettingsAnswer ParseSettingsAnswer(const Message& message) {
  return SettingsAnswer{Text(message, "error"), Text(message, "warning")};
}

}  // namespace harvel

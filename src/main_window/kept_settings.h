#pragma once

#include <QString>
#include <QVariant>
#include <functional>

namespace harvel {

// The settings kept between runs, as the windows reach them: the program wires
// these to its settings store; when they are empty nothing is kept.
struct KeptSettings {
  std::function<QVariant(const QString& key)> read;
  std::function<void(const QString& key, const QVariant& value)> write;

  QVariant value(const QString& key) const { return read ? read(key) : QVariant(); }
  void setValue(const QString& key, const QVariant& value) const {
    if (write)
      write(key, value);
  }
};

}  // namespace harvel

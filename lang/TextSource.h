#pragma once
// Where numbered texts come from: the language pack in use. Layers that only
// read texts depend on this, not on the pack loader.

#include <string>

namespace hw {

class TextSource {
 public:
  virtual ~TextSource() = default;
  // Interface text n and message n of the pack in use.
  virtual std::string GetInterfaceText(int n) const = 0;
  virtual std::string GetMessage(int n) const = 0;
};

}  // namespace hw

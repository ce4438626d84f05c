#pragma once
// EZAException: every error the archive engine detects itself. It carries the engine's
// code of the failure site (NativeError, 0..67) and the index of its message text
// (ErrorCode, 0..40); several sites share one text.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The English text of an ErrorCode (0..40), with its "%s" / "%d" placeholders; "" outside.
std::string_view ZAMessageText(int errorCode) noexcept;
// The ErrorCode a NativeError maps to; 0 for a code absent from the map.
int ZAErrorCodeOf(int nativeError) noexcept;

class EZAException : public std::runtime_error {
 public:
  // componentName: the raising archiver's Name; empty when the failure site adds no prefix.
  // args fill the text's placeholders in order (numbers already written in decimal).
  explicit EZAException(int nativeError, std::string_view componentName = {},
                        const std::vector<std::string>& args = {});

  int ErrorCode = 0;
  int NativeError = 0;

  // The message as it is built: [Name + ": "] + text + " - Native error: " + "%05d".
  static std::string BuildMessage(int nativeError, std::string_view componentName,
                                  const std::vector<std::string>& args);
};

}  // namespace engine

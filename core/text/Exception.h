// The base of every exception the program raises (ENet..., the skin reader's errors,
// the settings store's errors, ...). Its message is GBK text; the application's default
// handler shows it in a message box.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }

  std::string Message;
};

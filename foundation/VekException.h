#pragma once

#include <stdexcept>
#include <string>

namespace orvel {

// Root of every error the library raises. Family exceptions derive from it and
// carry their fixed English message.
class TVekException : public std::runtime_error {
public:
    explicit TVekException(const std::string& message) : std::runtime_error(message) {}
};

// A text that is not a decimal integer was given to parseInt.
class TVekConvertError : public TVekException {
public:
    using TVekException::TVekException;
};

// A Reed-Solomon block with more errors than its code corrects ("Cannot
// solve RS errors"), in every family that corrects with Reed-Solomon.
class TVekRSException : public TVekException {
public:
    using TVekException::TVekException;
};

}  // namespace orvel

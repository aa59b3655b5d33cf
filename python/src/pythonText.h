#pragma once
// Bytes of the engine as Python text. File names are bytes in any encoding:
// a name comes back as Python names files (os.fsdecode), so that it opens
// the same file; a message is text to read, and its bytes that are not
// UTF-8 are replaced by U+FFFD, as the JSON document replaces them.

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

namespace kesp::python {

/// A file name as Python's os.fsdecode gives it (undecodable bytes kept as
/// surrogate escapes, so that open() finds the file).
inline pybind11::str fileNameText(const std::string& name)
{
    PyObject* text = PyUnicode_DecodeFSDefaultAndSize(name.data(), static_cast<Py_ssize_t>(name.size()));
    if (text == nullptr) {
        throw pybind11::error_already_set();
    }
    return pybind11::reinterpret_steal<pybind11::str>(text);
}

/// An optional file name as text, or None.
inline pybind11::object fileNameText(const std::optional<std::string>& name)
{
    return name ? pybind11::object(fileNameText(*name)) : pybind11::object(pybind11::none());
}

/// A message as text, each byte that is not UTF-8 replaced by U+FFFD.
inline pybind11::str messageText(const std::string& message)
{
    PyObject* text = PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace");
    if (text == nullptr) {
        throw pybind11::error_already_set();
    }
    return pybind11::reinterpret_steal<pybind11::str>(text);
}

}  // namespace kesp::python

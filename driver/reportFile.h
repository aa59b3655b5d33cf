#pragma once
// The report file, written under a temporary name beside its place and
// renamed over it only once complete: a run that fails or is killed never
// leaves a truncated report and keeps the report of the run before.

#include <filesystem>
#include <string>
#include <string_view>

namespace kesp {

class ReportFile {
public:
    // Nothing is touched until reserve(). `kind` names the file in
    // messages ("Cannot create the report file run.out").
    explicit ReportFile(std::string name, std::string kind = "report file");
    // Removes the temporary file of a report that was not committed.
    ~ReportFile();
    ReportFile(const ReportFile&) = delete;
    ReportFile& operator=(const ReportFile&) = delete;

    // Makes sure the report can be created before any work is done for it:
    // the name must be free or name a regular file that may be replaced (a
    // directory, a pipe or a device is refused), not be longer than the
    // folder takes a file name (found now, not at the rename after the
    // run), and the temporary file is created beside it. False, with the
    // message, when it cannot.
    bool reserve(std::string& message);

    // Writes the whole text to the temporary file. False, with the message,
    // when it cannot; the report of the run before, if any, is then left as
    // it was.
    bool write(std::string_view text, std::string& message);
    // Whether the two names, links followed, are one file.
    bool sameFileAs(const ReportFile& other) const;
    // Removes the file of the run before from the report's place (nothing
    // to do when there is none), for a caller that publishes two files and
    // would rather leave one missing than one of another run. False, with
    // the message, when it cannot.
    bool removePrevious(std::string& message);
    // Renames the written temporary file over the report. False, with the
    // message, when it cannot.
    bool publish(std::string& message);

private:
    std::string name_;                 // as named, for messages
    std::string kind_;                 // what the file is, for messages
    std::filesystem::path target_;     // where it goes, a symbolic link followed
    std::filesystem::path temporary_;  // empty until reserved
    int descriptor_ = -1;
    int abortSlot_ = -1;               // see removeOnAbort
    bool committed_ = false;
};

}  // namespace kesp

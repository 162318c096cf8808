// The one exception type of the engine: a Jet error number and its description.
#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

namespace jet {

// Error numbers as Jet reports them. Their texts are in one table
// (error.cpp); an error is made from its number with error() below.
enum ErrorNumber : int {
    kTypeMismatch = 13,
    kInvalidArgument = 3001,
    kUpdateWithoutEdit = 3020,
    kNoCurrentRecord = 3021,
    kFileNotFound = 3024,
    kReadOnly = 3027,
    kNotValidPassword = 3031,
    kSystemResourceExceeded = 3035,
    kDiskError = 3043,
    kInvalidPath = 3044,
    kFileInUse = 3045,
    kRecordTooLarge = 3047,
    kNeedsRepair = 3049,
    kCouldNotLockFile = 3050,
    kCannotOpenFile = 3051,
    kTooFewParameters = 3061,
    kInputTableNotFound = 3078,
    kFieldNotUpdatable = 3113,
    kInvalidBracketing = 3126,
    kInvalidStatement = 3129,
    kFromClauseSyntax = 3131,
    kSelectSyntax = 3141,
    kCharactersAfterEnd = 3142,
    kOdbcConnectionFailed = 3151,
    kFieldTooSmall = 3163,
    kFieldCannotBeUpdated = 3164,
    kRecordDeleted = 3167,
    kDataChanged = 3197,  // "Data has changed; operation stopped."
    kDatabaseExists = 3204,
    kCouldNotUpdateLocked = 3218,
    kCouldNotUpdateLockedBy = 3260,
    kItemNotFound = 3265,
    kUnrecognizedFormat = 3343,
    kNumericFieldOverflow = 3349,
    kDataTypeConversion = 3421,
    // The engine's own, for a rule of its own found broken (a fault of the
    // engine, not of the file): far from the numbers Jet gives out, so that
    // nobody takes it for one of Jet's.
    kEngineInvariant = 9000,
};

class Error : public std::exception {
public:
    Error(int number, std::string description)
        : number_(number), description_(std::move(description)) {}

    int number() const noexcept { return number_; }
    // UTF-8 text, worded as Jet words it.
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    int number_;
    std::string description_;
};

// The error `number` with Jet's text for it. A text that names a file, an
// object or a figure takes them from `names` (UTF-8), in the order the text
// names them.
Error error(ErrorNumber number, std::initializer_list<std::string_view> names = {});

// A rule of the engine's own found broken: the kEngineInvariant error naming
// `rule`. Raised through invariant() (bytes.h).
[[noreturn]] void broken_invariant(const char* rule);

// The errors raised most often.
Error unrecognized_format(const std::string& path);
Error needs_repair(const std::string& path);
Error file_not_found(const std::string& path);
Error cannot_open_file(const std::string& path);
Error file_in_use(const std::string& path);
Error input_table_not_found(const std::string& name);
Error item_not_found();
Error no_current_record();
Error read_only();
Error disk_error();

}  // namespace jet

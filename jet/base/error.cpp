#include "jet/base/error.h"

#include <algorithm>
#include <iterator>

namespace jet {

namespace {

struct ErrorText {
    ErrorNumber number;
    std::string_view text;
};

// Every error the engine raises, in Jet's words, by number. A '|' stands
// where the text names something (a file, an object, a figure), as in Jet's
// own message table; error() puts the names in.
constexpr ErrorText kErrorTexts[] = {
    {kTypeMismatch, "Type mismatch."},
    {kInvalidArgument, "Invalid argument."},
    {kUpdateWithoutEdit, "Update or CancelUpdate without AddNew or Edit."},
    {kNoCurrentRecord, "No current record."},
    {kFileNotFound, "Could not find file '|'."},
    {kReadOnly, "Cannot update. Database or object is read-only."},
    {kNotValidPassword, "Not a valid password."},
    {kSystemResourceExceeded, "System resource exceeded."},
    {kDiskError, "Disk or network error."},
    {kInvalidPath, "'|' isn't a valid path. Make sure that the path name is spelled correctly and that you are "
                   "connected to the server on which the file resides."},
    {kFileInUse, "Could not use '|'; file already in use."},
    {kRecordTooLarge, "Record is too large."},
    {kNeedsRepair, "The database '|' needs to be repaired or isn't a database file."},
    {kCouldNotLockFile, "Could not lock file."},
    {kCannotOpenFile, "The database engine cannot open the file '|'. It is already opened exclusively by another "
                      "user, or you need permission to view its data."},
    {kTooFewParameters, "Too few parameters. Expected |."},
    {kInputTableNotFound, "The database engine cannot find the input table or query '|'.  Make sure it exists and "
                          "that its name is spelled correctly."},
    {kFieldNotUpdatable, "Cannot update '|'; field not updateable."},
    {kInvalidBracketing, "Invalid bracketing of name '|'."},
    {kInvalidStatement, "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'."},
    {kFromClauseSyntax, "Syntax error in FROM clause."},
    {kSelectSyntax, "The SELECT statement includes a reserved word or an argument name that is misspelled or "
                    "missing, or the punctuation is incorrect."},
    {kCharactersAfterEnd, "Characters found after end of SQL statement."},
    {kOdbcConnectionFailed, "ODBC--connection to '|' failed."},
    {kFieldTooSmall, "The field is too small to accept the amount of data you attempted to add.  Try inserting or "
                     "pasting less data."},
    {kFieldCannotBeUpdated, "Field cannot be updated."},
    {kRecordDeleted, "Record is deleted."},
    {kDataChanged, "Data has changed; operation stopped."},
    {kDatabaseExists, "Database already exists."},
    {kCouldNotUpdateLocked, "Could not |; currently locked."},
    {kCouldNotUpdateLockedBy, "Could not |; currently locked by user '|' on machine '|'."},
    {kItemNotFound, "Item not found in this collection."},
    {kUnrecognizedFormat, "Unrecognized database format '|'."},
    {kNumericFieldOverflow, "Numeric field overflow."},
    {kDataTypeConversion, "Data type conversion error."},
    {kEngineInvariant, "The database engine broke a rule of its own: |. This is a fault of the program, not of "
                       "the database."},
};

constexpr bool in_number_order()
{
    for (std::size_t i = 1; i < std::size(kErrorTexts); ++i)
        if (kErrorTexts[i - 1].number >= kErrorTexts[i].number) return false;
    return true;
}
static_assert(in_number_order(), "one text per number, in number order");

const ErrorText* find_text(ErrorNumber number)
{
    const auto* found = std::lower_bound(std::begin(kErrorTexts), std::end(kErrorTexts), number,
                                         [](const ErrorText& t, ErrorNumber n) { return t.number < n; });
    return found != std::end(kErrorTexts) && found->number == number ? found : nullptr;
}

}  // namespace

Error error(ErrorNumber number, std::initializer_list<std::string_view> names)
{
    const ErrorText* t = find_text(number);
    if (!t)  // worded as Jet words a number it has no text for
        return Error(number, "Reserved error (" + std::to_string(static_cast<int>(number)) +
                                 "); there is no message for this error.");
    std::string text;
    text.reserve(t->text.size());
    auto name = names.begin();
    for (const char c : t->text) {
        if (c == '|' && name != names.end())
            text += *name++;
        else
            text += c;
    }
    return Error(number, std::move(text));
}

void broken_invariant(const char* rule) { throw error(kEngineInvariant, {rule}); }

Error unrecognized_format(const std::string& path) { return error(kUnrecognizedFormat, {path}); }
Error needs_repair(const std::string& path) { return error(kNeedsRepair, {path}); }
Error file_not_found(const std::string& path) { return error(kFileNotFound, {path}); }
Error cannot_open_file(const std::string& path) { return error(kCannotOpenFile, {path}); }
Error file_in_use(const std::string& path) { return error(kFileInUse, {path}); }
Error input_table_not_found(const std::string& name) { return error(kInputTableNotFound, {name}); }
Error item_not_found() { return error(kItemNotFound); }
Error no_current_record() { return error(kNoCurrentRecord); }
Error read_only() { return error(kReadOnly); }
Error disk_error() { return error(kDiskError); }

}  // namespace jet

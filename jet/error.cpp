#include "jet/error.h"

namespace jet {

Error unrecognized_format(const std::string& path)
{
    return Error(kUnrecognizedFormat, "Unrecognized database format '" + path + "'.");
}

Error needs_repair(const std::string& path)
{
    return Error(kNeedsRepair,
                 "The database '" + path + "' needs to be repaired or isn't a database file.");
}

Error file_not_found(const std::string& path)
{
    return Error(kFileNotFound, "Could not find file '" + path + "'.");
}

Error cannot_open_file(const std::string& path)
{
    return Error(kCannotOpenFile,
                 "The database engine cannot open the file '" + path +
                     "'. It is already opened exclusively by another user, or you need "
                     "permission to view its data.");
}

Error file_in_use(const std::string& path)
{
    return Error(kFileInUse, "Could not use '" + path + "'; file already in use.");
}

Error input_table_not_found(const std::string& name)
{
    return Error(kInputTableNotFound,
                 "The database engine cannot find the input table or query '" + name +
                     "'.  Make sure it exists and that its name is spelled correctly.");
}

Error item_not_found()
{
    return Error(kItemNotFound, "Item not found in this collection.");
}

Error no_current_record()
{
    return Error(kNoCurrentRecord, "No current record.");
}

Error read_only()
{
    return Error(kReadOnly, "Cannot update. Database or object is read-only.");
}

Error disk_error()
{
    return Error(kDiskError, "Disk or network error.");
}

}  // namespace jet

#include "tools/sql_command.h"

#include "store/connection.h"

namespace kelvora::admin
{

void runSql(const std::filesystem::path& file, std::string_view statement, std::ostream& out)
{
    store::Connection store = store::Connection::open(file, store::kStorePassword);
    for (const store::Row& row : store.query(statement)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0)
                out << '|';
            out << row[i].value_or("NULL");
        }
        out << '\n';
    }
}

} // namespace kelvora::admin

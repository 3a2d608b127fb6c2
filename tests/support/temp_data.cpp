#include "support/temp_data.h"

#include <stdexcept>

TempDataFolder::TempDataFolder()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

std::unique_ptr<Database> TempDataFolder::open() const
{
    return Database::open(permanentPath(), workPath());
}

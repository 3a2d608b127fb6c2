#pragma once

#include <QString>

#include <stdexcept>

namespace legacy {

// Why an import did not happen, worded for the user (Japanese). Whatever the reason, the data folder
// is as it was before the import started.
class ImportError : public std::runtime_error
{
public:
    enum class Kind {
        Failed,    // the files could not be read, checked or put in place
        HoldsData, // the data folder holds stored rows and replacing them was not allowed
    };
    explicit ImportError(const QString& userMessage, Kind kind = Kind::Failed)
        : std::runtime_error(userMessage.toStdString()), m_kind(kind), m_userMessage(userMessage)
    {
    }
    Kind kind() const { return m_kind; }
    const QString& userMessage() const { return m_userMessage; }

private:
    Kind m_kind;
    QString m_userMessage;
};

} // namespace legacy

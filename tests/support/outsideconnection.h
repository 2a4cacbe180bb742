#pragma once

#include <QString>

// Another program's connection to a database file, beside the program's own: it takes the write lock,
// changes the schema or runs a checkpoint while the code under test keeps working.
class OutsideConnection
{
public:
    explicit OutsideConnection(const QString& path);
    ~OutsideConnection();
    OutsideConnection(const OutsideConnection&) = delete;
    OutsideConnection& operator=(const OutsideConnection&) = delete;

    // Runs one statement; fails the test on error.
    void exec(const QString& sql);

private:
    QString m_name;
};

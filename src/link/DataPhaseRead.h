#pragma once

#include "Timing.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>

// Where a read's contents come from: the data connection, or a scripted stream.
class DataSource {
public:
    enum class Wait { Data, Silent, Closed, Failed };
    virtual ~DataSource() = default;
    // Data at once when some is there; otherwise waits at most one slice for it.
    virtual Wait waitForData() = 0;
    // At most `most` of the bytes that are there.
    virtual QByteArray read(qint64 most) = 0;
    virtual qint64 elapsedMs() const = 0;
    virtual QString errorString() const = 0;
};

struct DataPhaseRead {
    enum class End {
        Complete, // the announced length came
        Silence,  // no data for the read's whole wait
        Deadline, // still short when the read's overall time ran out
        Closed,   // the unit closed before the announced length
        Failed,   // the connection failed: error says why
        TooLong,  // the announced length does not fit the buffer: nothing was read
    };
    End end = End::Complete;
    std::uint32_t received = 0;
    qint64 dropped = 0; // came after the announced length
    QString error;
};

// The longest a read of `length` bytes may take, however steadily the data trickles.
qint64 readDeadlineMs(std::uint32_t length, const Timing &timing);

// Takes exactly `length` bytes into `buffer` however the connection splits them, then counts
// and drops what follows until the unit closes or falls silent.
DataPhaseRead receiveAnnounced(DataSource &source, std::span<std::uint8_t> buffer, std::uint32_t length,
                               const Timing &timing);

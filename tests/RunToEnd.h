#pragma once
// For tests and benchmarks: the product runs every request through a JobRunner.

#include "engine/ArchiveEngine.h"
#include "engine/OperationJob.h"

// Runs one request to its end on this thread; a question it raises is
// answered with a cancel. `items`: what a new archive takes, else the
// members to extract or preview.
inline Outcome runToEnd(const ArchiveEngine &engine, OperationKind kind, const QString &archive,
                        const QStringList &items = {}, const QString &destination = {})
{
    OperationRequest request;
    request.kind = kind;
    request.archive = archive;
    (kind == OperationKind::Create ? request.inputs : request.members) = items;
    request.destination = destination;
    OperationJob job;
    return engine.execute(request, job);
}

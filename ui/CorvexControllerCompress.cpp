// Compress…: the items are chosen first, then the Compress dialog says how;
// each archive is one operation, run one after another.
#include "ui/CorvexController.h"

#include "engine/CreationRules.h"

void CorvexController::compress()
{
    const QStringList items
        = m_desktop.chooseFiles({.title = tr("Choose files and folders"), .folders = true, .multiple = true});
    if (items.isEmpty())
        return;
    const std::optional<NewArchiveChoice> choice = m_desktop.askNewArchive(items);
    if (choice)
        runCreations(CreationRules::requests(items, *choice));
}

void CorvexController::runCreations(std::vector<OperationRequest> requests)
{
    if (requests.empty())
        return;
    const OperationRequest request = requests.front();
    requests.erase(requests.begin());
    // A failure or a cancel ends the series: the alert says which archive.
    runOperation(request, tr("Creating archive…"),
                 [this, rest = std::move(requests), password = request.password](const Outcome &outcome) {
                     if (rest.empty())
                         startLoading(outcome.path, password);
                     else
                         runCreations(rest);
                 });
}

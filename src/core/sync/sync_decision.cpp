#include "sync/sync_decision.h"

namespace quimbaro::sync {

Action Decide(LocalSide local, RemoteSide remote) {
    switch (local) {
    case LocalSide::Same:
        switch (remote) {
        case RemoteSide::Same: return Action::Keep;
        case RemoteSide::Stale: return Action::WriteOurs;
        case RemoteSide::Agrees: return Action::Adopt;
        case RemoteSide::Changed: return Action::TakeTheirs;
        case RemoteSide::Gone: return Action::DeleteHere;
        }
        break;
    case LocalSide::Edited:
        switch (remote) {
        case RemoteSide::Same:
        case RemoteSide::Stale: return Action::WriteOurs;
        case RemoteSide::Agrees: return Action::Adopt;
        case RemoteSide::Changed: return Action::Conflict;
        case RemoteSide::Gone: return Action::OursAsNew;
        }
        break;
    case LocalSide::Deleted:
        switch (remote) {
        case RemoteSide::Same:
        case RemoteSide::Stale: return Action::RemoveFile;
        case RemoteSide::Agrees: return Action::Adopt;
        case RemoteSide::Changed: return Action::AddTheirs;
        case RemoteSide::Gone: return Action::Forget;
        }
        break;
    }
    return Action::Keep;
}

bool ChangesBook(Action action) {
    return action == Action::TakeTheirs || action == Action::DeleteHere || action == Action::Conflict ||
           action == Action::AddTheirs;
}

}  // namespace quimbaro::sync

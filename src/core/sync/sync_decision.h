#pragma once
// What one event file and its appointments come to, from how each side
// changed since the last sync. Nothing is lost: a change beats a deletion,
// and when both sides changed, ours stays and theirs comes in beside it.

namespace quimbaro::sync {

enum class LocalSide {
    Same,     // the book holds the records as synced
    Edited,   // its one record was edited here (deleted, and a new record took its place)
    Deleted,  // its records are gone from the book
};

enum class RemoteSide {
    Same,     // the file holds what it held at the last sync
    Stale,    // our last write into it never landed: it holds what it held before
    Agrees,   // its bytes changed, but it maps to what the book holds now
    Changed,  // changed by someone else
    Gone,     // no file of that name any more
};

enum class Action {
    Keep,         // nothing to do
    Adopt,        // note the file's bytes as synced
    WriteOurs,    // write the book's record into the file, keeping its name and UID
    RemoveFile,   // remove the file, and forget it
    TakeTheirs,   // change the book's records to the file's, in place
    DeleteHere,   // delete the records from the book, and forget the file
    Conflict,     // theirs into the book as new records; ours stays and goes out as a new file
    OursAsNew,    // the file is gone, our edit stays and goes out as a new file
    AddTheirs,    // deleted here, changed there: theirs comes back into the book
    Forget,       // gone on both sides
};

Action Decide(LocalSide local, RemoteSide remote);

// Whether the action changes the book (held back until the command has run).
bool ChangesBook(Action action);

}  // namespace quimbaro::sync

#include "book/year_file.h"
#include "files/regular_file.h"
#include "text/messages.h"

namespace quimbaro {
namespace {

std::string Detail(int systemError, const char* unknown = "") {
    return systemError == 0 ? std::string(unknown) : ": " + SystemReason(systemError);
}

}  // namespace

std::string StoreResult::Reason() const {
    switch (error) {
    case StoreError::None: return "";
    case StoreError::BadDate: return "la fecha no es válida (DD/MM/AAAA)";
    case StoreError::OpenFailed: return "no se pudo abrir el archivo " + fileName + Detail(systemError);
    case StoreError::NotAFile:
        return "no se pudo abrir el archivo " + fileName + ": " + FileFaultText(FileFault::NotRegular, 0);
    case StoreError::LockTimeout: return "el archivo " + fileName + " está en uso por otra copia del programa";
    case StoreError::ReadFailed: return "no se pudo leer el archivo " + fileName + Detail(systemError);
    case StoreError::WriteFailed:
        return "no se pudo escribir en el archivo " + fileName + Detail(systemError, " (¿disco lleno?)");
    case StoreError::SyncFailed:
        return "no se pudo guardar en el disco el archivo " + fileName + Detail(systemError);
    case StoreError::Changed:
        return "la cita ya no es la que se mostraba: otra copia del programa cambió el archivo " + fileName;
    }
    return "";
}

}  // namespace quimbaro

#include <cerrno>
#include <cstring>

#include "book/year_file.h"

namespace quimbaro {
namespace {

// The usual causes in the user's language; anything rarer in the system's.
std::string SystemReason(int systemError) {
    switch (systemError) {
    case ENOSPC: return "no queda espacio en el disco";
    case EDQUOT: return "se agotó la cuota de disco";
    case EFBIG: return "el archivo alcanzó el tamaño máximo permitido";
    case EACCES:
    case EPERM: return "permiso denegado";
    case EROFS: return "el disco es de solo lectura";
    case EISDIR: return "es una carpeta, no un archivo";
    case ENOENT: return "la carpeta no existe";
    case ENOTDIR: return "la ruta no es una carpeta";
    case EIO: return "error de entrada/salida del disco";
    default: return std::strerror(systemError);
    }
}

std::string Detail(int systemError, const char* unknown = "") {
    return systemError == 0 ? std::string(unknown) : ": " + SystemReason(systemError);
}

}  // namespace

std::string StoreResult::Reason() const {
    switch (error) {
    case StoreError::None: return "";
    case StoreError::BadDate: return "la fecha no es válida (DD/MM/AAAA)";
    case StoreError::OpenFailed: return "no se pudo abrir el archivo " + fileName + Detail(systemError);
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

#include "text/messages.h"

#include <cerrno>
#include <cstring>

namespace quimbaro {

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

}  // namespace quimbaro

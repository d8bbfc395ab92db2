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
    case ELOOP: return "es un enlace simbólico";
    case ENXIO: return "el dispositivo no existe o nadie lee al otro lado";
    case EPIPE: return "el otro lado dejó de leer";
    case ENAMETOOLONG: return "el nombre es demasiado largo";
    case EEXIST: return "ya existe";
    case EBUSY: return "está en uso";
    case EXDEV: return "está en otro disco";
    case EMFILE:
    case ENFILE: return "hay demasiados archivos abiertos";
    case ENOMEM: return "no queda memoria";
    default: return std::strerror(systemError);
    }
}

}  // namespace quimbaro

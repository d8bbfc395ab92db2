#include "files/file_result.h"

#include <cerrno>

#include "text/messages.h"

namespace quimbaro::files {
namespace {

std::string Detail(int systemError, const char* unknown = "") {
    return systemError == 0 ? std::string(unknown) : ": " + SystemReason(systemError);
}

std::string WhatItIs(int systemError) {
    switch (systemError) {
    case EISDIR: return " (es una carpeta)";
    case ELOOP: return " (es un enlace simbólico)";
    default: return "";
    }
}

}  // namespace

std::string FileResult::Reason() const {
    switch (error) {
    case FileError::None: return "";
    case FileError::NotPlain: return path + " no es un archivo normal" + WhatItIs(systemError) + "; no se tocó";
    case FileError::FolderFailed: return "no se pudo usar la carpeta " + path + Detail(systemError);
    case FileError::OpenFailed: return "no se pudo abrir " + path + Detail(systemError);
    case FileError::ReadFailed: return "no se pudo leer " + path + Detail(systemError);
    case FileError::TooLarge: return path + " es demasiado grande para leerlo";
    case FileError::WriteFailed: return "no se pudo escribir " + path + Detail(systemError, " (¿disco lleno?)");
    case FileError::SyncFailed: return "no se pudo guardar en el disco " + path + Detail(systemError);
    case FileError::ReplaceFailed: return "no se pudo reemplazar " + path + Detail(systemError);
    case FileError::RemoveFailed: return "no se pudo borrar " + path + Detail(systemError);
    case FileError::Busy: return "la carpeta " + path + " está en uso por otra copia del programa";
    }
    return "";
}

}  // namespace quimbaro::files

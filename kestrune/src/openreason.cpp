#include "openreason.h"

#include "portname.h"

namespace kestrune {

namespace {

#ifdef _WIN32
constexpr const char* kHolderUnknown = " (o Windows não informa qual)";
#else
// Another user's processes hide their descriptors from us.
constexpr const char* kHolderUnknown = "";
#endif

std::string heldBy(const OpenError& error)
{
    return error.holder.empty() ? std::string(kHolderUnknown) : ": " + error.holder;
}

} // namespace

std::string openFailureText(int32_t port, const OpenError& error)
{
    using Kind = OpenError::Kind;
    const std::string which = "Porta " + std::to_string(port) + " (" + error.device + ")";
    switch (error.kind) {
    case Kind::None:
        return {};
    case Kind::NoDevice:
        return which + " não existe.";
    case Kind::InUse:
        return which + " em uso por outro programa" + heldBy(error) + ".";
    case Kind::HeldHere:
        return which + " já está aberta por este programa.";
    case Kind::NoPermission:
        if (error.group.empty()) {
            return "Sem permissão para abrir " + error.device + ".";
        }
        // A new group counts only from the next login, which is what
        // technicians who already ran usermod most often miss.
        return "Sem permissão para abrir " + error.device + ". Entre no grupo " + error.group +
               ": sudo usermod -aG " + error.group + " $USER e abra a sessão de novo.";
    case Kind::NotSerial:
        return which + " não é uma porta serial.";
    case Kind::Refused:
        return which + " recusou 9600 bit/s, 8 bits, sem paridade, 2 bits de parada.";
    case Kind::Other:
        break;
    }
    return which + " não abriu: " + error.systemText + " (" + std::to_string(error.systemCode) +
           ").";
}

std::string noDeviceText(int32_t port)
{
    std::string text = "Porta " + std::to_string(port) + " não corresponde a nenhum dispositivo.";
#ifndef _WIN32
    text += " Portas 1-32: /dev/ttyS0-31, 33-64: /dev/ttyUSB0-31, 65-96: /dev/ttyACM0-31; "
            "outros números, por um link com" +
            std::to_string(port) + " em " + portsFolder() + ".";
#endif
    return text;
}

} // namespace kestrune

// qvr-sim: a simulated device on a pseudo-terminal for trying the program by
// hand. Prints the pty path, then serves until SIGINT or SIGTERM.
#include "controlfifo.h"
#include "simulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <pthread.h>
#include <sstream>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

struct Options {
    std::string portsDir;
    int port = 1;
    int slave = 1;
    long pointer = sim::kLogCapacity;
    long resetPointer = 1;
    std::optional<long> firmware, release, options;
    std::vector<long> serial;
    std::string controlPath;
    std::vector<long> erased, badCrc;
    sim::Faults faults;
    std::string info; // --help or --version: print it and do nothing else
};

// In Portuguese, like the program it plays against: the manual page of the
// Debian package is made from it.
void usage(std::FILE* out)
{
    std::fputs("Uso: qvr-sim [OPÇÃO]...\n"
               "Simula um equipamento QVR/KPW num pseudo-terminal, para demonstrações e\n"
               "treinamento: escreve o caminho do terminal e responde como escravo Modbus RTU\n"
               "até receber SIGINT ou SIGTERM (Ctrl+C).\n"
               "\n"
               "Opções:\n"
               "  --ports PASTA         cria o link PASTA/comN para o terminal, para que o\n"
               "                        LOG_QVR o abra como a porta N, e o apaga ao sair\n"
               "  --port N              o número N desse link, 0 a 255 (padrão 1)\n"
               "  --slave A             o endereço Modbus do equipamento, 1 a 247 (padrão 1)\n"
               "  --pointer P           o último registro gravado do LOG de dados, 0 a 65535\n"
               "                        (padrão 10380)\n"
               "  --reset-pointer R     o ponteiro do LOG de reset; 0 deixa o LOG vazio\n"
               "                        (padrão 1)\n"
               "  --firmware V          a versão do firmware vezes 100 (padrão 124: v1.24)\n"
               "  --release R           a revisão do firmware (padrão 4)\n"
               "  --options O           a palavra de opções; o bit 1 é a opção de LOG\n"
               "                        (padrão 2)\n"
               "  --serial A,B          o número de série, em duas partes (padrão 12,345)\n"
               "  --erased N,N,...      registros apagados (todas as palavras 0xFFFF)\n"
               "  --bad-crc N,N,...     registros gravados com o CRC errado\n"
               "  --byte-delay-us U     tempo de linha de cada byte, em microssegundos: 1146\n"
               "                        imita uma linha de 9600 baud (11 bits por byte)\n"
               "  --fault silent        não responde a nenhuma leitura\n"
               "  --fault bad-crc       responde com o CRC do quadro errado\n"
               "  --truncate N          envia só os N primeiros bytes de cada resposta\n"
               "  --control FIFO        lê comandos, um por linha, do pipe nomeado FIFO (que\n"
               "                        cria, se não existe) enquanto responde, e confirma\n"
               "                        cada um com uma linha \"ok pointer P serial A,B\"\n"
               "                        (ou \"error: ...\") na saída:\n"
               "                          write N     grava N registros novos depois do\n"
               "                                      ponteiro; depois de 10380 vem 0\n"
               "                          erase       apaga a memória: registros 0xFFFF,\n"
               "                                      ponteiro 0\n"
               "                          serial A,B  troca o número de série\n"
               "  --help                mostra esta ajuda e sai\n"
               "  --version             mostra a versão e sai\n"
               "\n"
               "Exemplo:\n"
               "  qvr-sim --ports ~/.config/kestrune/ports --port 1\n"
               "                        o equipamento simulado aparece no LOG_QVR como a\n"
               "                        porta 1, no endereço 1\n"
               "  qvr-sim --ports ~/.config/kestrune/ports --control /tmp/qvr\n"
               "  echo 'write 24' > /tmp/qvr\n"
               "                        o equipamento grava 24 registros novos: a próxima\n"
               "                        conexão oferece só esses\n",
               out);
}

void version()
{
    std::printf("qvr-sim (LOG_QVR) %s\n"
                "Copyright (C) 2026 The LOG_QVR authors. Todos os direitos reservados.\n",
                QVR_SIM_VERSION);
}

bool parseNumber(const char* text, long min, long max, long* out)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max)
        return false;
    *out = v;
    return true;
}

bool parseList(const char* text, std::vector<long>* out, long max = sim::kLogCapacity)
{
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        long v = 0;
        if (!parseNumber(item.c_str(), 0, max, &v))
            return false;
        out->push_back(v);
    }
    return true;
}

// Misbehaviours a test in another process can ask for at start-up: a silent
// device, and replies whose frame CRC is wrong.
bool parseFault(const std::string& name, sim::Faults* faults)
{
    if (name == "silent")
        faults->silent = true;
    else if (name == "bad-crc")
        faults->badCrc = true;
    else
        return false;
    return true;
}

struct NumericOption {
    const char* name;
    long min, max;
};

// Returns false (after saying why) when the command line is not usable.
bool parseOptions(int argc, char** argv, Options* o)
{
    static constexpr NumericOption kNumeric[] = {{"--port", 0, 255},
                                                 {"--slave", 1, 247},
                                                 {"--pointer", 0, 65535},
                                                 {"--reset-pointer", 0, 65535},
                                                 {"--firmware", 0, 65535},
                                                 {"--release", 0, 65535},
                                                 {"--options", 0, 65535},
                                                 {"--truncate", 0, 255},
                                                 {"--byte-delay-us", 0, 100000}};
    for (int i = 1; i < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--help" || name == "--version") {
            o->info = name;
            return true;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "qvr-sim: %s needs a value\n", name.c_str());
            return false;
        }
        const char* value = argv[i + 1];
        bool ok = true;
        bool known = true;
        if (name == "--ports") {
            o->portsDir = value;
        } else if (name == "--erased") {
            ok = parseList(value, &o->erased);
        } else if (name == "--bad-crc") {
            ok = parseList(value, &o->badCrc);
        } else if (name == "--serial") {
            ok = parseList(value, &o->serial, 65535) && o->serial.size() == 2;
        } else if (name == "--control") {
            o->controlPath = value;
        } else if (name == "--fault") {
            ok = parseFault(value, &o->faults);
        } else {
            known = false;
            for (const NumericOption& n : kNumeric) {
                long v = 0;
                if (name != n.name)
                    continue;
                known = true;
                ok = parseNumber(value, n.min, n.max, &v);
                if (!ok)
                    break;
                if (name == "--port")
                    o->port = static_cast<int>(v);
                else if (name == "--slave")
                    o->slave = static_cast<int>(v);
                else if (name == "--pointer")
                    o->pointer = v;
                else if (name == "--reset-pointer")
                    o->resetPointer = v;
                else if (name == "--firmware")
                    o->firmware = v;
                else if (name == "--release")
                    o->release = v;
                else if (name == "--truncate")
                    o->faults.truncateTo = static_cast<int>(v);
                else if (name == "--byte-delay-us")
                    o->faults.byteDelayUs = static_cast<int>(v);
                else
                    o->options = v;
            }
        }
        if (!known) {
            std::fprintf(stderr, "qvr-sim: unknown option %s\n", name.c_str());
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "qvr-sim: bad value for %s: %s\n", name.c_str(), value);
            return false;
        }
    }
    return true;
}

void setUpDevice(sim::Simulator& device, const Options& o)
{
    device.withState([&](sim::DeviceState& s) {
        s.fillDataLog(static_cast<uint16_t>(o.pointer));
        s.fillResetLog(static_cast<uint16_t>(o.resetPointer));
        if (o.firmware)
            s.firmware = static_cast<uint16_t>(*o.firmware);
        if (o.release)
            s.release = static_cast<uint16_t>(*o.release);
        if (o.options)
            s.options = static_cast<uint16_t>(*o.options);
        if (!o.serial.empty()) {
            s.serial1 = static_cast<uint16_t>(o.serial[0]);
            s.serial2 = static_cast<uint16_t>(o.serial[1]);
        }
        for (long n : o.erased)
            s.records[static_cast<std::size_t>(n)] = sim::erasedRecord();
        for (long n : o.badCrc)
            s.records[static_cast<std::size_t>(n)][40] ^= 0x0101;
    });
}

// Makes the pty this process's controlling terminal, so that no client that
// opens it without O_NOCTTY (Wine's server does) takes it as its own and is
// sent SIGHUP when we close the line. Best effort: a process group leader,
// as an interactive shell makes of its jobs, cannot start a session.
void holdTerminal(const std::string& ptyPath)
{
    if (::setsid() < 0)
        return;
    const int fd = ::open(ptyPath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd >= 0 && ::ioctl(fd, TIOCSCTTY, 0) != 0)
        ::close(fd);
    // On success fd stays open until exit; closing the line hangs the
    // terminal up, and the SIGHUP that then comes to us is ignored.
}

} // namespace

int main(int argc, char** argv)
{
    Options o;
    if (!parseOptions(argc, argv, &o)) {
        usage(stderr);
        return 2;
    }
    if (o.info == "--help") {
        usage(stdout);
        return 0;
    }
    if (o.info == "--version") {
        version();
        return 0;
    }
    // Block the stop signals before the serving thread exists, so only
    // sigwait below ever sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::signal(SIGHUP, SIG_IGN);

    sim::Simulator device(static_cast<uint8_t>(o.slave));
    setUpDevice(device, o);
    device.setFaults(o.faults);
    std::string error;
    if (!device.start(&error)) {
        std::fprintf(stderr, "qvr-sim: no pseudo-terminal: %s\n", error.c_str());
        return 1;
    }
    holdTerminal(device.ptyPath());
    if (!o.portsDir.empty() && !device.linkAsPort(o.portsDir, o.port, &error)) {
        std::fprintf(stderr, "qvr-sim: %s\n", error.c_str());
        return 1;
    }
    sim::ControlFifo control(device, stdout);
    if (!o.controlPath.empty() && !control.start(o.controlPath, &error)) {
        std::fprintf(stderr, "qvr-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", device.ptyPath().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    device.stop();
    return 0;
}

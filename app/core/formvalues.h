// Window values of frmMain shared by the handlers; they live as long as the
// window and are never saved.
#pragma once

#include <cstdint>
#include <optional>

struct FormValues {
    bool PortaAberta = false;
    // Empty until first set; empty compares as 0.
    std::optional<int32_t> PonteiroLOG;
    int32_t VersaoHUS_inf = 0;
    int32_t NumSerie1 = 0;
    int32_t NumSerie2 = 0;
    int32_t Subversao = 0;
    int16_t Options = 0;
    int16_t log_inicial = 0;
    int16_t log_final = 0;
    int16_t qtd_log_rst = 0;
    // "Cancelar" was pressed, or the window asked to close, during the
    // running download; each download clears it when its walk starts and
    // looks at it between records.
    bool cancelRequested = false;
    // A download runs, from when it switches the buttons off until it
    // switches them on again.
    bool downloadRunning = false;

    int32_t ponteiro() const { return PonteiroLOG.value_or(0); }
};

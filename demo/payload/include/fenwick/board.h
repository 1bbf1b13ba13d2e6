/* Register map of the Fenwick RV32 development board (demo payload). */
#ifndef FENWICK_BOARD_H
#define FENWICK_BOARD_H

#include <stdint.h>

#define FENWICK_GPIO_BASE   0x10012000u
#define FENWICK_GPIO_OUTPUT (*(volatile uint32_t *)(FENWICK_GPIO_BASE + 0x0c))
#define FENWICK_LED_GREEN   (1u << 19)

static inline void fenwick_delay(uint32_t loops)
{
    while (loops--)
        __asm__ volatile("nop");
}

#endif

/* Blinks the green LED of the Fenwick RV32 development board. */
#include <fenwick/board.h>

int main(void)
{
    for (;;) {
        FENWICK_GPIO_OUTPUT ^= FENWICK_LED_GREEN;
        fenwick_delay(500000);
    }
}

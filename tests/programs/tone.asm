; A 1 kHz tone: the speaker pushed one way and then the other every 1,790
; cycles, so that a period is 3,580 cycles and a frame of 71,600 holds
; exactly 20. Interrupts stay off: nothing else takes time.

LATCH:      equ 0x6800
SPEAKER_A:  equ 0x01
SPEAKER_B:  equ 0x20

            org 0x8000
            di
loop:       ld a, SPEAKER_A         ; 7
            ld (LATCH), a           ; 13  <- the push, at the end of the write
            ld b, 136               ; 7
wait1:      djnz wait1              ; 135 x 13 + 8
            ld a, SPEAKER_B         ; 7
            ld (LATCH), a           ; 13  <- 1,790 cycles later
            ld b, 134               ; 7
wait2:      djnz wait2              ; 133 x 13 + 8
            ld c, 0                 ; 7
            ld c, 0                 ; 7
            jr loop                 ; 12: 1,790 cycles again to the next push

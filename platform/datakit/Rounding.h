#pragma once
// Rounding of amounts to a number of decimal places, done on the decimal value a person means
// rather than on the binary double. A double carries 15 significant decimal digits reliably;
// the digits after them are the noise of binary arithmetic (325 * 2.635 is 856.3749999999999,
// 0.7 * 3 is 2.0999999999999996). So the value is first read to 15 significant digits
// (856.375, 2.1), and that decimal text is rounded or cut: 0.125 -> 0.13, 1.005 -> 1.01,
// 2.675 -> 2.68, 325 * 2.635 -> 856.38, as SQL's round and a person computing by hand give.
// When the places asked for go beyond those 15 digits (amounts from 10^13 up, to the cent),
// the value is read as the shortest decimal text that converts back to it instead.

// `value` rounded half away from zero to `decimals` places (a negative count rounds to tens,
// hundreds ...). Infinite and NaN values come back unchanged.
double RoundValor(double value, int decimals);

// `value` cut toward zero to `decimals` places: (1.005, 2) -> 1.00, (-2.679, 2) -> -2.67,
// (0.7 * 3, 2) -> 2.10.
double TruncateValor(double value, int decimals);

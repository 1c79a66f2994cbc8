/* Sonabel player: the way into the shell. */

// The shell puts this function in place before any script of ours runs.
export const hasShell = typeof (/** @type {any} */ (window)).sendNativeAction === 'function';

// Asks the shell for something; resolves with null when there is no shell
// or the call fails, so callers need no error path.
/** @param {string} action @returns {Promise<any>} */
export function callNative(action) {
  if (!hasShell) return Promise.resolve(null);
  try {
    return Promise.resolve((/** @type {any} */ (window)).sendNativeAction(action)).catch(() => null);
  } catch (e) {
    return Promise.resolve(null);
  }
}

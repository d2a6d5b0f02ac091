// Debian's Chromium in headless mode, driven by puppeteer-core (no browser
// download): a fresh profile each time, nothing that reaches the network.
import { mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

import puppeteer from 'puppeteer-core';

export const chromiumPath = process.env.CHROMIUM ?? '/usr/bin/chromium';

// Resolves to {browser, close()}; `args` add switches (a fake camera, ...).
export async function launchChromium(args = []) {
  const profile = await mkdtemp(join(tmpdir(), 'orvel-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    // A loaded machine starts Chromium slowly.
    timeout: 120000,
    protocolTimeout: 300000,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage', ...args],
  });
  return {
    browser,
    async close() {
      await browser.close();
      await rm(profile, { recursive: true, force: true });
    },
  };
}

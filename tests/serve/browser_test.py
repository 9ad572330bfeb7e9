#!/usr/bin/python3
"""The parameter screens in a real browser: headless Chromium driven through Selenium.

Usage: browser_test.py STOCKREPORTS WORKDIR
Exits 77 (skipped) when Chromium, its driver, Selenium or pdftotext is missing.
"""
import datetime
import os
import shutil
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

SKIP = 77
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("selenium not installed: skipped")
    sys.exit(SKIP)

DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
if not os.path.exists(DRIVER) or not shutil.which("pdftotext"):
    print("chromium-driver or pdftotext not installed: skipped")
    sys.exit(SKIP)

STOCKREPORTS, WORK = sys.argv[1], sys.argv[2]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait(driver, what, condition, timeout=60):
    try:
        return WebDriverWait(driver, timeout, poll_frequency=0.05).until(lambda d: condition())
    except Exception:
        driver.save_screenshot(os.path.join(WORK, "falha.png"))
        raise AssertionError("timed out waiting for " + what)


def field(driver, name):
    return driver.find_element(By.ID, "campo-" + name)


def type_into(driver, name, text):
    # As a clerk does: into the field, select what it holds, type over it. The field has the
    # focus throughout, so no answer still on its way from the server rewrites it.
    f = field(driver, name)
    f.click()
    f.send_keys(Keys.CONTROL, "a")
    f.send_keys(text)


def status(driver):
    return driver.find_element(By.ID, "situacao").text


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    db = os.path.join(WORK, "demo.db")
    subprocess.run([STOCKREPORTS, "demo", "--db", db, "--products", "6000"], check=True,
                   stdout=subprocess.DEVNULL)
    port = free_port()
    server = subprocess.Popen([STOCKREPORTS, "serve", "--db", db, "--port", str(port)],
                              stdout=subprocess.PIPE, text=True)
    base = "http://127.0.0.1:%d" % port
    assert base in server.stdout.readline()
    options = webdriver.ChromeOptions()
    for arg in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--window-size=1200,1400",
                "--user-data-dir=" + os.path.join(WORK, "chromium")):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        run(driver, base)
        print("browser test passed")
    finally:
        driver.quit()
        server.terminate()
        server.wait(timeout=30)


def run(driver, base):
    # The list of reports leads to the listing's screen.
    driver.get(base + "/")
    driver.find_element(By.ID, "rel-stockListing").click()
    wait(driver, "the listing's fields", lambda: driver.find_elements(By.ID, "campo-pDataInicial"))
    button = driver.find_element(By.ID, "imprimir")
    wait(driver, "the print button", button.is_enabled)

    # The period starts as the previous year, counted from today.
    year = datetime.date.today().year - 1
    assert field(driver, "pDataInicial").get_attribute("value") == "01/01/%d" % year
    assert field(driver, "pDataFinal").get_attribute("value") == "31/12/%d" % year

    # A bad date: the error appears by the field as it is left, and the button stays off.
    type_into(driver, "pDataInicial", "32/13/2026")
    button.click()
    error = driver.find_element(By.ID, "erro-pDataInicial")
    wait(driver, "the date's error", lambda: "inválid" in error.text)
    assert "'32/13/2026' não é uma data válida" in error.text, error.text
    assert "Data inicial" in error.text, error.text
    wait(driver, "the print button off", lambda: not button.is_enabled())
    driver.save_screenshot(os.path.join(WORK, "erro.png"))

    # Fixed, it prints; the progress bar moves.
    type_into(driver, "pDataInicial", "01/01/2026")
    type_into(driver, "pDataFinal", "31/12/2026")
    field(driver, "pCodigoEmpresa").click()
    wait(driver, "the error to go", lambda: error.text == "" and button.is_enabled())
    button.click()
    bar = driver.find_element(By.ID, "progresso")
    seen = set()

    def done():
        value = bar.get_attribute("value")
        if value not in (None, "0", "1"):
            seen.add(value)
        return status(driver).startswith("Impresso")
    wait(driver, "the print to end", done, timeout=120)
    assert len(seen) >= 2, "the progress bar did not move: %s" % seen

    # Page 1 of the preview, then the PDF with its totals.
    preview = driver.find_element(By.ID, "previa")
    wait(driver, "page 1 of the preview",
         lambda: driver.execute_script("return arguments[0].complete && arguments[0].naturalWidth", preview))
    assert driver.find_element(By.ID, "pagina-atual").text.startswith("Página 1 de")
    driver.save_screenshot(os.path.join(WORK, "previa.png"))
    pdf_url = driver.find_element(By.ID, "baixar").get_attribute("href")
    pdf = os.path.join(WORK, "listagem.pdf")
    urllib.request.urlretrieve(pdf_url, pdf)
    text = subprocess.run(["pdftotext", pdf, "-"], check=True, capture_output=True, text=True).stdout
    assert "Total Ind. de Propr.: 0 Estoque Próprio" in text
    assert "Total Conta 1141 - 1.1.04.01 - Matérias-primas" in text

    # A long print stopped: nothing is published.
    button.click()
    wait(driver, "the second print to run", lambda: (bar.get_attribute("value") or "0") not in ("0", "1")
         and status(driver).startswith("Imprimindo"))
    driver.find_element(By.ID, "parar").click()
    wait(driver, "the stop", lambda: status(driver) == "Impressão interrompida: nada foi publicado.")
    assert not driver.find_element(By.ID, "resultado").is_displayed()
    try:
        urllib.request.urlopen(pdf_url)
        raise AssertionError("a stopped print left a PDF")
    except urllib.error.HTTPError as e:
        assert e.code == 404, e.code

    # The register asks before it updates the book control; "Não" cancels the print.
    driver.get(base + "/relatorio/stockRegister")
    wait(driver, "the register's fields", lambda: driver.find_elements(By.ID, "campo-pAtualizarControleLivro"))
    type_into(driver, "pCompetInicial", "01/01/2026")
    type_into(driver, "pCompetFinal", "31/12/2026")
    Select(field(driver, "pAtualizarControleLivro")).select_by_value("1")
    button = driver.find_element(By.ID, "imprimir")
    wait(driver, "the print button", button.is_enabled)
    button.click()
    dialog = driver.find_element(By.ID, "pergunta")
    wait(driver, "the question", dialog.is_displayed)
    assert "atualizar a numeração dos livros" in driver.find_element(By.ID, "pergunta-texto").text
    driver.save_screenshot(os.path.join(WORK, "pergunta.png"))
    [no] = [b for b in dialog.find_elements(By.TAG_NAME, "button") if b.text == "Não"]
    no.click()
    messages = driver.find_element(By.ID, "mensagens")
    wait(driver, "the cancelled message", lambda: "A impressão foi cancelada pelo usuário." in messages.text)
    assert status(driver) == "Nada foi impresso; nenhum arquivo foi gerado.", status(driver)


if __name__ == "__main__":
    main()

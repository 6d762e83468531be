-- Creates an order with the next PEDIDO_ID of Infra_Chave and the given
-- status, records the insertion (entity 172, operation 1) and answers the new
-- key. The caller passes no client, so Cliente_ID stays NULL. Without a
-- PEDIDO_ID counter nothing is written and the answer has no row.
CREATE PROCEDURE SP_QBX_INC_PEDIDO_OLT1 (@TAB_STATUS_ID INTEGER, @NUM_PEDIDO_EXTERNO TEXT, @FORNECEDOR_ID INTEGER,
                                         @USUARIO_ID INTEGER)
AS
UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1 WHERE NOME_COLUNA = 'PEDIDO_ID';
INSERT INTO PEDIDO (PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID)
SELECT ULTIMO_VALOR, 1, @TAB_STATUS_ID, @NUM_PEDIDO_EXTERNO, @FORNECEDOR_ID, NULL
  FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID';
INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
SELECT 172, 1, @USUARIO_ID, ULTIMO_VALOR, julianday('now', 'localtime')
  FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID';
SELECT 0 AS RETORNO, '' AS MSG_RET, ULTIMO_VALOR AS PEDIDO_ID
  FROM Infra_Chave WHERE NOME_COLUNA = 'PEDIDO_ID';
